#pragma once

#include <QWidget>

// The About box: fixed texts and the logo, closed with the window's close box.
class frmSobre : public QWidget
{
    Q_OBJECT
public:
    explicit frmSobre(QWidget* parent = nullptr);
};
