#pragma once

#include <QWidget>

// The About box: fixed texts and the logo, closed with the window's close
// box, or with Esc, since it has no button to reach by keyboard.
class frmSobre final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmSobre)
public:
    explicit frmSobre(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
