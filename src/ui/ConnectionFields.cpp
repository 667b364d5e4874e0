#include "ui/ConnectionFields.h"

#include "core/clsPreference.h"
#include "ui/modEngineData.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace {
const char *const kProxyNote =
    "A network proxy is used to provide additional security between your computer and the Internet and/or to "
    "increase performance between networks by reducing redundant traffic via caching. ";
const char *const kAuthNote =
    "If your server or proxy requires authentication before allowing access to the Internet, please enter your "
    "Username and Password below:";

QString L(const char *s) { return QString::fromLatin1(s); }

QLabel *note(const char *text, QWidget *parent, Qt::Alignment alignment) {
    auto *label = new QLabel(L(text), parent);
    label->setWordWrap(true);
    label->setAlignment(alignment);
    return label;
}

QLineEdit *field(const char *name, QWidget *parent) {
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(L(name));
    return edit;
}
}  // namespace

ConnectionFields::ConnectionFields(QRadioButton *(&optProxy)[3], QLineEdit *&txtProxy, QLineEdit *&txtPort,
                                   QLineEdit *&txtHTTPUsername, QLineEdit *&txtHTTPPassword)
    : m_optProxy(optProxy), m_txtProxy(txtProxy), m_txtPort(txtPort), m_txtHTTPUsername(txtHTTPUsername),
      m_txtHTTPPassword(txtHTTPPassword) {}

QGroupBox *ConnectionFields::BuildHTTPServerFrame(QWidget *window, QWidget *parent, const Look &look,
                                                  std::function<void(int)> onClick) {
    auto *fraHTTP = new QGroupBox(QStringLiteral("HTTP Server"), parent);
    m_optProxy[kDirect] = new QRadioButton(QStringLiteral("Direct to internet"), fraHTTP);
    m_optProxy[kDirect]->setObjectName(QStringLiteral("optProxy1"));
    m_optProxy[kThroughProxy] = new QRadioButton(QStringLiteral("Proxy Server"), fraHTTP);
    m_optProxy[kThroughProxy]->setObjectName(QStringLiteral("optProxy2"));
    auto *group = new QButtonGroup(window);
    group->addButton(m_optProxy[kDirect], kDirect);
    group->addButton(m_optProxy[kThroughProxy], kThroughProxy);
    m_txtProxy = field("txtProxy", fraHTTP);
    m_txtPort = field("txtPort", fraHTTP);
    m_txtPort->setMaximumWidth(look.portWidth);
    auto *grid = new QGridLayout(fraHTTP);
    grid->addWidget(m_optProxy[kDirect], 0, 0, 1, 4);
    grid->addWidget(m_optProxy[kThroughProxy], 1, 0);
    grid->addWidget(m_txtProxy, 1, 1);
    grid->addWidget(new QLabel(L(look.portLabel), fraHTTP), 1, 2);
    grid->addWidget(m_txtPort, 1, 3);
    grid->addWidget(note(kProxyNote, fraHTTP, look.noteAlignment), 2, 0, 1, 4);
    grid->setColumnStretch(1, 1);

    for (int index : {kDirect, kThroughProxy})
        QObject::connect(m_optProxy[index], &QRadioButton::clicked, window, [onClick, index] { onClick(index); });
    return fraHTTP;
}

QGroupBox *ConnectionFields::BuildAuthenticationFrame(QWidget *parent, const Look &look) {
    auto *fraAuth = new QGroupBox(QStringLiteral("Authentication"), parent);
    m_txtHTTPUsername = field("txtHTTPUsername", fraAuth);
    m_txtHTTPPassword = field("txtHTTPPassword", fraAuth);
    m_txtHTTPPassword->setEchoMode(QLineEdit::Password);
    // One "*" per character, whatever the desktop style would draw.
    m_txtHTTPPassword->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    auto *grid = new QGridLayout(fraAuth);
    grid->addWidget(note(kAuthNote, fraAuth, look.noteAlignment), 0, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Username:"), fraAuth), 1, 0);
    grid->addWidget(m_txtHTTPUsername, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Password:"), fraAuth), 2, 0);
    grid->addWidget(m_txtHTTPPassword, 2, 1);
    return fraAuth;
}

void ConnectionFields::Show(clsPreference &pref) {
    // 0 (never saved) and any value without an option of its own mean a
    // direct connection; the object changes, the store does not.
    if (pref.AccessType() != kThroughProxy)
        pref.setAccessType(kDirect);
    m_optProxy[pref.AccessType()]->setChecked(true);
    if (pref.AccessType() == kThroughProxy) {
        m_txtProxy->setText(pref.Proxy());
        m_txtPort->setText(pref.Port());
    }
    // Choosing the option runs its click, which enables the boxes that go with it.
    OptionClicked(&pref, pref.AccessType());
    m_txtHTTPUsername->setText(pref.HTTPUserName());
    m_txtHTTPPassword->setText(pref.HTTPPassword());
}

void ConnectionFields::OptionClicked(clsPreference *pref, int index) {
    if (pref)
        pref->setAccessType(index);
    const bool proxy = index == kThroughProxy;
    m_txtProxy->setEnabled(proxy);
    m_txtPort->setEnabled(proxy);
}

bool ConnectionFields::ThroughProxy() const { return m_optProxy[kThroughProxy]->isChecked(); }

QLineEdit *ConnectionFields::ReadProxy(clsPreference &pref, QString *message) const {
    if (!ThroughProxy())
        return nullptr;
    QString host;
    switch (modEngineData::CheckProxySettings(m_txtProxy->text(), m_txtPort->text(), &host)) {
    case modEngineData::ProxyCheck::BadProxy:
        *message = L(modEngineData::kInvalidProxy);
        return m_txtProxy;
    case modEngineData::ProxyCheck::BadPort:
        *message = L(modEngineData::kInvalidPort);
        return m_txtPort;
    case modEngineData::ProxyCheck::Ok:
        break;
    }
    pref.setProxy(host);
    pref.setPort(m_txtPort->text());
    return nullptr;
}
