#pragma once
// The splash shown while the main window loads: on top, never taking the
// focus, closing itself after 2.5 seconds. Others close it early by its
// object name "frmSplash".

#include <QWidget>

class QLabel;
class QTimer;

class frmSplash : public QWidget {
    Q_OBJECT
public:
    static const char *const kObjectName;  // "frmSplash"
    static constexpr int kShowMilliseconds = 2500;

    explicit frmSplash(QWidget *parent = nullptr);

    void Form_Load();
    // The timer's tick: the pointer back to the default, and the splash goes.
    void Timer1_Timer();

    QLabel *lblOverture = nullptr;
    QTimer *Timer1 = nullptr;

    // Loads the one splash (when not loaded) and shows it without waiting.
    static void ShowSplash();
    // Closes the splash when it is loaded.
    static void UnloadSplash();
    // The loaded splash, or null.
    static frmSplash *Instance();

protected:
    void paintEvent(QPaintEvent *event) override;
};
