#pragma once

#include <QWidget>

#include <functional>

class QPushButton;
class QRadioButton;

// The language dialog "WELCOM", the first window the user sees. Closing it ends the program.
class TForm2 : public QWidget
{
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);

    QRadioButton* Radio_Chinese;
    QRadioButton* Radio_English;
    QPushButton* BitBtn1;

protected:
    void closeEvent(QCloseEvent* event) override;
};
