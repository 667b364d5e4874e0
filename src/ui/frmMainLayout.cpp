// The main window's layout: the left panel (title, tree, "Web Site URLs"
// with the arrow, URL list), the right panel (keyword list over ranking
// list), the two bars between them and the status bar with its progress bar.
// Positions inside the left panel follow fixed margins given in twips.

#include "ui/frmMain.h"

#include "core/modCommon.h"
#include "platform/Seams.h"
#include "platform/VB.h"
#include "ui/EventHook.h"
#include "ui/ProgramIcon.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace {
const QString kResizeControlLog = QStringLiteral("frmMain_resizeControl error : ");
const QString kResizeLeftLog = QStringLiteral("frmMain_ResizeLeftFrame: ");
const QString kResizeRightLog = QStringLiteral("frmMain_resizeRightFrame Error: ");
const QString kArrowLog = QStringLiteral("FrmMain_cmdArrow_Click error:  ");
const QString kAccountTitle = QStringLiteral("Account");
const QString kURLsTitle = QStringLiteral("Web Site URLs");
const QString kRightTitle = QStringLiteral("Account Name");

// Margins and sizes of the left panel, in twips.
constexpr int kLeftMargin = 60;
constexpr int kTitleTop = 135;
constexpr int kLabelHeight = 255;
constexpr int kTreeTop = 420;
constexpr int kArrowSize = 255;
constexpr int kTitleInset = 100;     // title, tree and URL list widths: panel − 100
constexpr int kURLsLabelInset = 250;
constexpr int kArrowInset = 80;
constexpr int kTreeGap = 200;        // between the tree's bottom and "Web Site URLs"
constexpr int kURLListGap = 20;
constexpr int kBottomMargin = 100;
constexpr int kURLColumnInset = 350;
// Status bar: the progress bar lies over the second panel, this much smaller.
constexpr int kProgressWidthInset = 70;
constexpr int kProgressHeightInset = 90;
constexpr int kBarWidthPx = 5;       // 80 twips between the panels
constexpr int kSchedulerPanelPx = 230;

constexpr int kTwipsPerPixel = 15;
int tw(int px) { return px * kTwipsPerPixel; }
int px(double twips) { return int(std::lround(twips / kTwipsPerPixel)); }
// A computed extent: used when it is at least one twip, else 0.
double atLeast0(double twips) { return twips >= 1 ? twips : 0; }

// A splitter bar painted in the button face, and in the button shadow while
// it is dragged; it tells the window when a drag starts and ends.
class SplitterBar : public QSplitterHandle {
public:
    SplitterBar(Qt::Orientation o, QSplitter *parent, std::function<void()> pressed, std::function<void()> released)
        : QSplitterHandle(o, parent), m_pressed(std::move(pressed)), m_released(std::move(released)) {}
    void setDragged(bool dragged) {
        m_dragged = dragged;
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter p(this);
        p.fillRect(rect(), palette().color(m_dragged ? QPalette::Dark : QPalette::Button));
    }
    void mousePressEvent(QMouseEvent *e) override {
        QSplitterHandle::mousePressEvent(e);
        if (e->button() == Qt::LeftButton && m_pressed)
            m_pressed();
    }
    void mouseReleaseEvent(QMouseEvent *e) override {
        // The panels take the bar's new place first; the window lays out after.
        QSplitterHandle::mouseReleaseEvent(e);
        if (e->button() == Qt::LeftButton && m_released)
            m_released();
    }

private:
    std::function<void()> m_pressed, m_released;
    bool m_dragged = false;
};

class Splitter : public QSplitter {
public:
    Splitter(Qt::Orientation o, QWidget *parent, std::function<void()> pressed, std::function<void()> released)
        : QSplitter(o, parent), m_pressed(std::move(pressed)), m_released(std::move(released)) {
        // The panels follow the bar when it is let go, as the window's layout runs then.
        setOpaqueResize(false);
        setHandleWidth(kBarWidthPx);
    }

protected:
    QSplitterHandle *createHandle() override {
        return new SplitterBar(orientation(), this, m_pressed, m_released);
    }

private:
    std::function<void()> m_pressed, m_released;
};

void setBarDragged(QSplitterHandle *bar, bool dragged) {
    if (auto *b = dynamic_cast<SplitterBar *>(bar))
        b->setDragged(dragged);
}
}  // namespace

void frmMain::buildLayout() {
    setWindowIcon(programicon::Icon());
    ImgUP = style()->standardIcon(QStyle::SP_ArrowUp);
    imgDown = style()->standardIcon(QStyle::SP_ArrowDown);

    splMain = new Splitter(
        Qt::Horizontal, this,
        [this] {
            setBarDragged(imgSpliterVertical(), true);
            m_bSplitterDrag = true;
        },
        [this] {
            m_bSplitterDrag = false;
            resizeControl();
            seam::SetPointer(seam::Pointer::Default);
        });
    splMain->setObjectName(QStringLiteral("imgSpliterVertical"));

    // The left panel is laid out by ResizeLeftFrame alone.
    fraMainLeft = new QWidget(splMain);
    fraMainLeft->setObjectName(QStringLiteral("fraMainLeft"));
    lblProjectTitle = new QLabel(kAccountTitle, fraMainLeft);
    lblProjectTitle->setObjectName(QStringLiteral("lblProjectTitle"));
    tvwAccount = new QTreeWidget(fraMainLeft);
    tvwAccount->setObjectName(QStringLiteral("tvwAccount"));
    tvwAccount->setHeaderHidden(true);
    lblURLs = new QLabel(kURLsTitle, fraMainLeft);
    lblURLs->setObjectName(QStringLiteral("lblURLs"));
    cmdArrow = new QPushButton(fraMainLeft);
    cmdArrow->setObjectName(QStringLiteral("cmdArrow"));
    cmdArrow->setFlat(true);
    cmdArrow->setFocusPolicy(Qt::NoFocus);
    cmdArrow->setIcon(imgDown);
    lvwURLs = new QTreeWidget(fraMainLeft);
    lvwURLs->setObjectName(QStringLiteral("lvwURLs"));
    for (QLabel *label : {lblProjectTitle, lblURLs}) {
        QFont f = label->font();
        f.setBold(true);
        label->setFont(f);
        label->setTextFormat(Qt::PlainText);
    }
    connect(cmdArrow, &QPushButton::clicked, this, &frmMain::cmdArrow_Click);

    fraMainRight = new QGroupBox(kRightTitle, splMain);
    fraMainRight->setObjectName(QStringLiteral("fraMainRight"));
    auto *rightLayout = new QVBoxLayout(fraMainRight);
    rightLayout->setContentsMargins(4, 4, 4, 4);
    splRight = new Splitter(
        Qt::Vertical, fraMainRight,
        [this] {
            setBarDragged(imgSpliterHorizon(), true);
            m_bSplitterDrag = true;
        },
        [this] {
            m_bSplitterDrag = false;
            resizeRightFrame();
            seam::SetPointer(seam::Pointer::Default);
        });
    splRight->setObjectName(QStringLiteral("imgSpliterHorizon"));
    lvwKeywords = new KeywordListView(splRight);
    lvwKeywords->setObjectName(QStringLiteral("lvwKeywords"));
    lvwKeywords->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lvwRanking = new QTreeWidget(splRight);
    lvwRanking->setObjectName(QStringLiteral("lvwRanking"));
    rightLayout->addWidget(splRight);
    for (QTreeView *list : std::initializer_list<QTreeView *>{lvwKeywords, lvwRanking, lvwURLs}) {
        list->setRootIsDecorated(false);
        list->setUniformRowHeights(true);
        list->setAllColumnsShowFocus(true);
        list->setSelectionBehavior(QAbstractItemView::SelectRows);
        list->setSortingEnabled(false);
        list->header()->setSectionsClickable(false);
        list->header()->setStretchLastSection(false);
    }

    // A resize keeps the left panel's width and the keyword list's height.
    splMain->setStretchFactor(0, 0);
    splMain->setStretchFactor(1, 1);
    splRight->setStretchFactor(0, 0);
    splRight->setStretchFactor(1, 1);
    splMain->setSizes({210, 750});
    splRight->setSizes({240, 320});
    setCentralWidget(splMain);

    // Moving over either panel puts the pointer back to the default.
    auto *panelHook = new EventHook(m_hooks.get(), [](QObject *, QEvent *e) {
        if (e->type() == QEvent::MouseMove)
            seam::SetPointer(seam::Pointer::Default);
        return false;
    });
    for (QWidget *panel : {fraMainLeft, static_cast<QWidget *>(fraMainRight)}) {
        panel->setMouseTracking(true);
        panel->installEventFilter(panelHook);
    }

    stbPanel1 = new QLabel(this);
    stbPanel1->setObjectName(QStringLiteral("stbPanel1"));
    stbPanel2 = new QLabel(this);
    stbPanel2->setObjectName(QStringLiteral("stbPanel2"));
    stbPanel2->setMinimumWidth(kSchedulerPanelPx);
    for (QLabel *panel : {stbPanel1, stbPanel2}) {
        panel->setFrameShape(QFrame::StyledPanel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setTextFormat(Qt::PlainText);
    }
    statusBar()->addWidget(stbPanel1, 1);
    statusBar()->addPermanentWidget(stbPanel2);
    // Laid over the second panel by resizeControl, not by the status bar.
    pbrSearch = new QProgressBar(statusBar());
    pbrSearch->setObjectName(QStringLiteral("pbrSearch"));
    pbrSearch->setTextVisible(false);
    pbrSearch->setValue(0);
    pbrSearch->hide();
    resize(960, 640);
}

QSplitterHandle *frmMain::imgSpliterVertical() const { return splMain ? splMain->handle(1) : nullptr; }
QSplitterHandle *frmMain::imgSpliterHorizon() const { return splRight ? splRight->handle(1) : nullptr; }

void frmMain::resizeEvent(QResizeEvent *event) {
    QMainWindow::resizeEvent(event);
    if (!isMinimized() && tmrTrayIcon)
        tmrTrayIcon->start();
    resizeControl();
}

void frmMain::changeEvent(QEvent *event) {
    QMainWindow::changeEvent(event);
    // Restored from the task bar: watch for the next minimising again.
    if (event->type() == QEvent::WindowStateChange && !isMinimized() && isVisible() && tmrTrayIcon)
        tmrTrayIcon->start();
}

void frmMain::resizeControl() {
    try {
        ResizeLeftFrame();
        // The panels' heights and the right panel's width follow the window
        // through the splitter; the bar is back to the button face.
        setBarDragged(imgSpliterVertical(), false);
        resizeRightFrame();

        // The progress bar lies over the status bar's second panel.
        const QRect panel = stbPanel2->geometry();
        const int barHeight = px(tw(statusBar()->height()) - kProgressHeightInset);
        const int barWidth = px(tw(panel.width()) - kProgressWidthInset);
        if (barWidth > 0 && barHeight > 0) {
            pbrSearch->setGeometry(panel.x() + (panel.width() - barWidth) / 2,
                                   (statusBar()->height() - barHeight) / 2, barWidth, barHeight);
            pbrSearch->raise();
        }
    } catch (const std::exception &e) {
        WriteErrorLog(kResizeControlLog + vb::Describe(e));
    }
}

void frmMain::ResizeLeftFrame() {
    try {
        const double height = tw(fraMainLeft->height());
        const double width = tw(fraMainLeft->width());

        lblProjectTitle->setGeometry(px(kLeftMargin), px(kTitleTop), px(atLeast0(width - kTitleInset)),
                                     px(kLabelHeight));
        // "Web Site URLs" at two thirds of the panel, or at its bottom edge when the list is collapsed.
        const double labelTop = m_bURLPanelCollapsed ? height - kLabelHeight : (height + height) / 3;
        lblURLs->setGeometry(px(kLeftMargin), px(labelTop), px(atLeast0(width - kURLsLabelInset)),
                             px(kLabelHeight));
        cmdArrow->setGeometry(px(atLeast0(width - kArrowSize - kArrowInset)), px(labelTop), px(kArrowSize),
                              px(kArrowSize));
        cmdArrow->raise();

        const double treeWidth = atLeast0(width - kTitleInset);
        tvwAccount->setGeometry(px(kLeftMargin), px(kTreeTop), px(treeWidth),
                                px(atLeast0(labelTop - kLabelHeight - kTreeGap)));

        const double listTop = labelTop + kLabelHeight + kURLListGap;
        const double listHeight = height - listTop - kBottomMargin;
        lvwURLs->setGeometry(px(kLeftMargin), px(listTop), px(treeWidth), listHeight > 0 ? px(listHeight) : 0);
        if (m_bLoaded && lvwURLs->columnCount() >= 1)
            lvwURLs->setColumnWidth(0, px(atLeast0(treeWidth - kURLColumnInset)));
    } catch (const std::exception &e) {
        WriteErrorLog(kResizeLeftLog + vb::Describe(e));
    }
}

void frmMain::resizeRightFrame() {
    try {
        // Heights follow the bar through the splitter; the columns share the widths.
        if (m_bLoaded) {
            const int keywordsWidth = lvwKeywords->width();
            if (lvwKeywords->model()->columnCount() >= 2)
                lvwKeywords->setColumnWidth(1, keywordsWidth / 3);
            const int rankingWidth = lvwRanking->width();
            if (lvwRanking->columnCount() >= 2)
                lvwRanking->setColumnWidth(1, rankingWidth * 2 / 5);
            if (lvwRanking->columnCount() >= 3)
                lvwRanking->setColumnWidth(2, rankingWidth * 2 / 5);
        }
        setBarDragged(imgSpliterHorizon(), false);
    } catch (const std::exception &e) {
        WriteErrorLog(kResizeRightLog + vb::Describe(e));
    }
}

void frmMain::cmdArrow_Click() {
    try {
        m_bURLPanelCollapsed = !m_bURLPanelCollapsed;
        cmdArrow->setIcon(m_bURLPanelCollapsed ? ImgUP : imgDown);
        ResizeLeftFrame();
    } catch (const std::exception &e) {
        WriteErrorLog(kArrowLog + vb::Describe(e));
    }
}
