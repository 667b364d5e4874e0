#pragma once
// The Internet connection fields that the configuration dialog and the
// first-run wizard share: "Direct to internet" or "Proxy Server" with the
// proxy's address and port, and the proxy login. The window keeps the
// widgets as its own members; this builds them, fills them from the settings
// and checks them, the same way in both windows.

#include <QString>
#include <functional>
#include <qnamespace.h>

class QGroupBox;
class QLineEdit;
class QRadioButton;
class QWidget;
class clsPreference;

class ConnectionFields {
public:
    // The options' indexes in the window's optProxy array.
    static constexpr int kDirect = 1;        // "Direct to internet"
    static constexpr int kThroughProxy = 2;  // "Proxy Server"

    // What differs between the windows' layouts.
    struct Look {
        const char *portLabel;        // the label before the port box
        int portWidth;                // the port box's greatest width
        Qt::Alignment noteAlignment;  // of the frames' notes
    };

    ConnectionFields(QRadioButton *(&optProxy)[3], QLineEdit *&txtProxy, QLineEdit *&txtPort,
                     QLineEdit *&txtHTTPUsername, QLineEdit *&txtHTTPPassword);
    ConnectionFields(const ConnectionFields &) = delete;
    ConnectionFields &operator=(const ConnectionFields &) = delete;

    // The "HTTP Server" frame: the two options (grouped under `window`), the
    // proxy and port boxes and the proxy note. A click on an option goes to
    // `onClick` with the option's index.
    QGroupBox *BuildHTTPServerFrame(QWidget *window, QWidget *parent, const Look &look,
                                    std::function<void(int)> onClick);
    // The "Authentication" frame: its note, the user name and the password.
    QGroupBox *BuildAuthenticationFrame(QWidget *parent, const Look &look);

    // Shows the access type, the proxy and port (with "Proxy Server" only)
    // and the login of the settings, and runs the option's click.
    void Show(clsPreference &pref);
    // An option's click: the settings' access type follows it (when there
    // are settings), and the proxy boxes are usable with "Proxy Server" only.
    void OptionClicked(clsPreference *pref, int index);

    bool ThroughProxy() const;
    // With "Proxy Server" chosen, checks the proxy then the port and puts
    // them into the settings. A refused field is returned with its message
    // in `message`; null when there is nothing to refuse.
    QLineEdit *ReadProxy(clsPreference &pref, QString *message) const;

private:
    QRadioButton *(&m_optProxy)[3];
    QLineEdit *&m_txtProxy;
    QLineEdit *&m_txtPort;
    QLineEdit *&m_txtHTTPUsername;
    QLineEdit *&m_txtHTTPPassword;
};
