#pragma once

#include <QWidget>

class QFrame;
class QLabel;
class QTimer;

// The splash shown at start. It ends on the first of: Timer1, a key that
// produces a character, or a click on Frame1; finished() is emitted once.
class frmAbertura final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmAbertura)
public:
    static constexpr int SplashMilliseconds = 3000;

    explicit frmAbertura(QWidget* parent = nullptr);

    bool isFinished() const { return m_finished; }

    // Held, the splash stays up past its end (timer, key or click) until
    // released, and ends then: the start's reads in the background are not
    // done yet, and a window opened meanwhile would wait for them.
    void hold();
    void release();
    bool isHeld() const { return m_held; }

public slots:
    // Closes the splash and announces it; later calls do nothing.
    void finish();

signals:
    // The splash has closed: time to show the main window.
    void finished();
    // The splash has been painted on screen for the first time.
    void firstPainted();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QFrame* m_frame;
    QLabel* m_logo;
    QLabel* m_productName;
    QLabel* m_platform;
    QLabel* m_version;
    QTimer* m_timer;
    bool m_finished = false;
    bool m_held = false;
    // Its end came while held.
    bool m_due = false;
    bool m_painted = false;
    bool m_pressedOnFrame = false;
};
