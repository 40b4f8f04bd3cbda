#pragma once

#include <QWidget>

#include <functional>

class QPushButton;
class QRadioButton;

// The language dialog "WELCOM", the first window the user sees. Closing it ends the program.
class LanguageWindow : public QWidget
{
    Q_OBJECT
public:
    explicit LanguageWindow(QWidget* parent = nullptr);

    QRadioButton* chineseRadio;
    QRadioButton* englishRadio;
    QPushButton* okButton;

protected:
    void closeEvent(QCloseEvent* event) override;
};
