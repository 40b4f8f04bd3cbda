#pragma once

#include <QApplication>

namespace platform {
class Dialogs;
}

// The application object: an exception that escapes a handler is shown in the standard error
// report and the program goes on.
class RadioModemApplication : public QApplication
{
public:
    RadioModemApplication(int& argc, char** argv, platform::Dialogs& dialogs);
    bool notify(QObject* receiver, QEvent* event) override;

private:
    platform::Dialogs& m_dialogs;
};
