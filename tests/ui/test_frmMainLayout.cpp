#include "ProgramFixtures.h"

#include "core/modCommon.h"

#include <QSplitter>
#include <QStatusBar>
#include <cmath>

namespace {

// 15 twips make a pixel; the margins below are the left panel's, in pixels.
constexpr int kBottomPx = 7;       // 100 twips
constexpr int kURLColumnPx = 23;   // 350 twips

struct Layout : ::testing::Test {
    frmMain w;
    void SetUp() override {
        w.m_bLoaded = true;
        w.lvwKeywords->setHeaderLabels({"#", "Keywords", "Counts", "Cur Bid$", "Next Bid$", "1st Bid$", "2nd Bid$",
                                        "3rd Bid$", "Position", "Status"});
        w.lvwRanking->setHeaderLabels({"#", "Title", "URL", "Bid$"});
        w.lvwURLs->setHeaderLabels({"URLS"});
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    }
    void resizeTo(int width, int height) {
        w.resize(width, height);
        QApplication::processEvents();
    }
    // The left panel as ResizeLeftFrame leaves it, checked against its rules.
    void checkLeftPanel(const char *what) {
        const int H = w.fraMainLeft->height(), W = w.fraMainLeft->width();
        const QRect label = w.lblURLs->geometry(), tree = w.tvwAccount->geometry(), list = w.lvwURLs->geometry();
        if (w.m_bURLPanelCollapsed) {
            EXPECT_NEAR(label.bottom() + 1, H, 1) << what;
            EXPECT_EQ(list.height(), 0) << what;
        } else {
            EXPECT_NEAR(label.top(), 2.0 * H / 3, 1) << what;
            EXPECT_NEAR(list.bottom() + 1, H - kBottomPx, 1) << what;
            EXPECT_NEAR(w.lvwURLs->columnWidth(0), list.width() - kURLColumnPx, 1) << what;
        }
        EXPECT_EQ(w.cmdArrow->y(), label.top()) << what;
        EXPECT_NEAR(w.cmdArrow->geometry().right() + 1, W - 5, 1) << what;  // 80 twips in from the edge
        EXPECT_NEAR(tree.bottom() + 1, label.top() - 2, 1) << what;  // the tree ends just above the label
        EXPECT_EQ(list.width(), tree.width()) << what;
        EXPECT_NEAR(tree.width(), W - 7, 1) << what;
    }
    void checkColumns(const char *what) {
        EXPECT_NEAR(w.lvwKeywords->columnWidth(1), w.lvwKeywords->width() / 3.0, 1) << what;
        EXPECT_NEAR(w.lvwRanking->columnWidth(1), w.lvwRanking->width() * 0.4, 1) << what;
        EXPECT_NEAR(w.lvwRanking->columnWidth(2), w.lvwRanking->width() * 0.4, 1) << what;
    }
    QRgb barColour(QSplitterHandle *bar) { return bar->grab().toImage().pixel(1, bar->height() / 2); }
};

}  // namespace

TEST_F(Layout, AResizeKeepsTheLeftWidthAndKeywordHeightAndRedoesTheRest) {
    resizeTo(900, 600);
    const int leftWidth = w.fraMainLeft->width();
    const int keywordHeight = w.lvwKeywords->height();
    checkLeftPanel("900x600");
    checkColumns("900x600");

    // The user widens a column; the next resize shares the widths out again.
    w.lvwKeywords->setColumnWidth(1, 40);
    w.lvwRanking->setColumnWidth(2, 500);
    resizeTo(1200, 800);
    EXPECT_EQ(w.fraMainLeft->width(), leftWidth);
    EXPECT_EQ(w.lvwKeywords->height(), keywordHeight);
    EXPECT_GT(w.lvwRanking->height(), 0);
    checkLeftPanel("1200x800");
    checkColumns("1200x800");
}

TEST_F(Layout, TheArrowCollapsesAndRestoresTheURLList) {
    resizeTo(900, 600);
    const qint64 down = w.imgDown.cacheKey(), up = w.ImgUP.cacheKey();
    EXPECT_EQ(w.cmdArrow->icon().cacheKey(), down);
    const int openTreeHeight = w.tvwAccount->height();

    w.cmdArrow->click();
    EXPECT_TRUE(w.m_bURLPanelCollapsed);
    EXPECT_EQ(w.cmdArrow->icon().cacheKey(), up);
    checkLeftPanel("collapsed");
    EXPECT_GT(w.tvwAccount->height(), openTreeHeight);  // the tree fills the space above

    // The collapse lasts through a resize.
    resizeTo(1000, 700);
    checkLeftPanel("collapsed after resize");

    w.cmdArrow->click();
    EXPECT_FALSE(w.m_bURLPanelCollapsed);
    EXPECT_EQ(w.cmdArrow->icon().cacheKey(), down);
    checkLeftPanel("restored");
}

TEST_F(Layout, ColumnsAreLeftAloneUntilTheLoadHasBegun) {
    w.m_bLoaded = false;
    w.lvwKeywords->setColumnWidth(1, 33);
    w.lvwURLs->setColumnWidth(0, 44);
    resizeTo(1000, 650);
    EXPECT_EQ(w.lvwKeywords->columnWidth(1), 33);
    EXPECT_EQ(w.lvwURLs->columnWidth(0), 44);
}

TEST_F(Layout, BarsAreShadedWhileDraggedAndStayInsideTheWindow) {
    resizeTo(900, 600);
    QSplitterHandle *vertical = w.imgSpliterVertical();
    QSplitterHandle *horizon = w.imgSpliterHorizon();
    const QRgb face = w.palette().color(QPalette::Button).rgb(), shadow = w.palette().color(QPalette::Dark).rgb();
    ASSERT_NE(face, shadow);
    EXPECT_EQ(barColour(vertical), face);

    // The vertical bar pulled far past the window's left edge.
    const QPoint grip(vertical->width() / 2, vertical->height() / 2);
    QTest::mousePress(vertical, Qt::LeftButton, {}, grip);
    EXPECT_TRUE(w.m_bSplitterDrag);
    EXPECT_EQ(barColour(vertical), shadow);
    QTest::mouseMove(vertical, grip - QPoint(2000, 0));
    w.lvwKeywords->setColumnWidth(1, 10);
    QTest::mouseRelease(vertical, Qt::LeftButton, {}, grip - QPoint(2000, 0));
    EXPECT_FALSE(w.m_bSplitterDrag);
    EXPECT_EQ(barColour(vertical), face);
    // Nothing negative, the bar still at hand, and the window laid out again.
    EXPECT_EQ(w.fraMainLeft->width(), 0);
    EXPECT_EQ(w.tvwAccount->width(), 0);
    EXPECT_EQ(w.lblURLs->width(), 0);
    EXPECT_EQ(w.cmdArrow->x(), 0);
    EXPECT_GE(vertical->mapTo(&w, QPoint(0, 0)).x(), 0);
    checkColumns("after the vertical bar");

    // The horizontal bar pulled below the right panel's bottom.
    const QPoint hgrip(horizon->width() / 2, horizon->height() / 2);
    QTest::mousePress(horizon, Qt::LeftButton, {}, hgrip);
    EXPECT_EQ(barColour(horizon), shadow);
    QTest::mouseMove(horizon, hgrip + QPoint(0, 3000));
    QTest::mouseRelease(horizon, Qt::LeftButton, {}, hgrip + QPoint(0, 3000));
    EXPECT_EQ(barColour(horizon), face);
    EXPECT_GE(w.lvwRanking->height(), 0);
    EXPECT_LE(horizon->mapTo(w.fraMainRight, QPoint(0, horizon->height())).y(), w.fraMainRight->height());
}

TEST_F(Layout, ProgressBarLiesOverTheSchedulerPanel) {
    resizeTo(900, 600);
    w.pbrSearch->show();
    const QRect panel = w.stbPanel2->geometry(), bar = w.pbrSearch->geometry();
    EXPECT_EQ(w.pbrSearch->parentWidget(), w.stbPanel2->parentWidget());
    EXPECT_TRUE(panel.contains(bar)) << "panel " << panel.x() << "," << panel.width() << " bar " << bar.x() << ","
                                     << bar.width();
    EXPECT_NEAR(bar.width(), panel.width() - 5, 1);  // 70 twips narrower
}

TEST_F(Layout, AResizeSwitchesTheTrayTimerOnUnlessMinimised) {
    w.tmrTrayIcon->stop();
    resizeTo(800, 500);
    EXPECT_TRUE(w.tmrTrayIcon->isActive());

    w.tmrTrayIcon->stop();
    w.setWindowState(Qt::WindowMinimized);
    QApplication::processEvents();
    EXPECT_FALSE(w.tmrTrayIcon->isActive());
    w.setWindowState(Qt::WindowNoState);  // back from the task bar
    QApplication::processEvents();
    EXPECT_TRUE(w.tmrTrayIcon->isActive());
}

TEST(MainWindowColumns, FixedColumnsHoldTheirTextsInTheListFontAndSharesStayShares) {
    fixtures::writeEngineData({"Google"});
    const QFont desktop = QApplication::font();
    struct FontBack {
        QFont font;
        ~FontBack() { QApplication::setFont(font); }
    } restore{desktop};
    // What the view needs to show a cell's text whole: the text and the cell's margins.
    auto needs = [](auto *list, int column, const QString &text) {
        int width = 0;
        if constexpr (std::is_same_v<std::remove_pointer_t<decltype(list)>, QTreeWidget>) {
            auto *row = new QTreeWidgetItem(list);
            row->setText(column, text);
            width = static_cast<QAbstractItemView *>(list)->sizeHintForColumn(column);
            delete row;
        } else {
            QStringList texts(column + 1);
            texts[column] = text;
            list->rows()->appendRow(texts);
            width = static_cast<QAbstractItemView *>(list)->sizeHintForColumn(column);
            list->clear();
        }
        return width;
    };
    int bidWidth[2] = {0, 0};
    for (const qreal scale : {1.0, 2.0}) {
        SCOPED_TRACE(scale);
        QFont font = desktop;
        font.setPointSizeF(desktop.pointSizeF() * scale);
        QApplication::setFont(font);
        {
            fixtures::Program p("[Google]\r\n1=acme\r\nLast=1\r\n\r\n", "Google", "acme");
            frmMain &w = *p.form;
            ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
            w.resize(1000, 700);
            QApplication::processEvents();

            QTreeWidget *ranking = w.lvwRanking;
            KeywordListView *keywords = w.lvwKeywords;
            ASSERT_EQ(ranking->headerItem()->text(3), QStringLiteral("Bid$"));
            for (const QString &bid : {QStringLiteral("$10.00"), QStringLiteral("$100.00")}) {
                EXPECT_GT(needs(ranking, 3, bid), ranking->fontMetrics().horizontalAdvance(bid));
                EXPECT_GE(ranking->columnWidth(3), needs(ranking, 3, bid)) << bid.toStdString();
                for (int c = 3; c <= 7; ++c)
                    EXPECT_GE(keywords->columnWidth(c), needs(keywords, c, bid))
                        << keywords->model()->headerData(c, Qt::Horizontal).toString().toStdString() << " "
                        << bid.toStdString();
            }
            bidWidth[scale > 1] = ranking->columnWidth(3);

            // The shares of the lists' widths are as before.
            EXPECT_NEAR(keywords->columnWidth(1), keywords->width() / 3.0, 1);
            EXPECT_NEAR(ranking->columnWidth(1), ranking->width() * 0.4, 1);
            EXPECT_NEAR(ranking->columnWidth(2), ranking->width() * 0.4, 1);
        }
    }
    // A font twice as large makes the fixed columns about twice as wide.
    EXPECT_GT(bidWidth[1], bidWidth[0] * 3 / 2);
}
