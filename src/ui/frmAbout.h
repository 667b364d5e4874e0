#pragma once
// The About box: program title, version and the dealer who supplies the
// program. One at a time; shown modally and unloaded by OK.

#include <QDialog>

class QLabel;
class QPushButton;

class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget *owner = nullptr);

    // Fills caption, title, version and the dealer block.
    void Form_Load();

    QLabel *lblTitle = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblDealer = nullptr;
    QLabel *lblWarning = nullptr;
    QLabel *lblPlatform = nullptr;  // the fixed line under the version
    QLabel *imgPicture = nullptr;
    QPushButton *cmdOK = nullptr;

    // Loads the About box, shows it modally over `owner` and unloads it when
    // it closes; while one is shown it is only brought to the front.
    static void ShowModal(QWidget *owner);
    // The About box shown now, or null.
    static frmAbout *Instance();
};
