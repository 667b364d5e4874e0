#include "ui/frmSplash.h"

#include "core/Globals.h"
#include "core/modCommon.h"
#include "platform/Seams.h"
#include "ui/ProgramIcon.h"

#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPointer>
#include <QTimer>
#include <QVBoxLayout>

const char *const frmSplash::kObjectName = "frmSplash";

namespace {
const char *const kForOverture = "For Overture";
const char *const kMaker = "Zentrova";
const char *const kTitleSuffix = " For Overture";
QPointer<frmSplash> g_splash;

// The product's name: the application title without the suffix start-up adds.
QString productName() {
    QString title = app::Title();
    if (title.endsWith(QLatin1String(kTitleSuffix)))
        title.chop(int(qstrlen(kTitleSuffix)));
    return title;
}

QLabel *label(const QString &text, int pointSize, bool bold, const QColor &colour, QWidget *parent) {
    auto *l = new QLabel(text, parent);
    l->setTextFormat(Qt::PlainText);
    QFont f = l->font();
    f.setPointSize(pointSize);
    f.setBold(bold);
    l->setFont(f);
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, colour);
    l->setPalette(pal);
    return l;
}
}  // namespace

frmSplash::frmSplash(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowDoesNotAcceptFocus) {
    setObjectName(QString::fromLatin1(kObjectName));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_DeleteOnClose);
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(480, 270);

    auto *picture = new QLabel(this);
    picture->setPixmap(programicon::Picture(72));
    auto *maker = label(QString::fromLatin1(kMaker), 12, false, QColor(0xc8, 0xd8, 0xf0), this);
    auto *product = label(productName(), 22, true, Qt::white, this);
    lblOverture = label(QString(), 16, false, QColor(0xff, 0xd2, 0x6a), this);
    lblOverture->setObjectName(QStringLiteral("lblOverture"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(36, 30, 36, 22);
    layout->addWidget(picture);
    layout->addSpacing(10);
    layout->addWidget(maker);
    layout->addWidget(product);
    layout->addWidget(lblOverture);
    layout->addStretch(1);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setSingleShot(true);
    Timer1->setInterval(kShowMilliseconds);
    connect(Timer1, &QTimer::timeout, this, &frmSplash::Timer1_Timer);
    Timer1->start();
}

void frmSplash::Form_Load() {
    CenterForm(this);
    lblOverture->setText(QString::fromLatin1(kForOverture));
    show();
    raise();
}

void frmSplash::Timer1_Timer() {
    seam::SetPointer(seam::Pointer::Default);
    close();
}

void frmSplash::paintEvent(QPaintEvent *) {
    QPainter p(this);
    QLinearGradient bg(0, 0, width(), height());
    bg.setColorAt(0, QColor(0x1d, 0x4f, 0x9c));
    bg.setColorAt(1, QColor(0x0b, 0x22, 0x4d));
    p.fillRect(rect(), bg);
    p.setPen(QColor(0x5a, 0x86, 0xc8));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void frmSplash::ShowSplash() {
    if (!g_splash) {
        g_splash = new frmSplash;
        g_splash->Form_Load();
    } else {
        g_splash->show();
    }
}

void frmSplash::UnloadSplash() {
    if (g_splash)
        g_splash->close();
}

frmSplash *frmSplash::Instance() { return g_splash.data(); }
