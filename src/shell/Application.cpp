#include "Application.h"

#include "platform/Dialogs.h"

#include <exception>

RadioModemApplication::RadioModemApplication(int& argc, char** argv, platform::Dialogs& dialogs)
    : QApplication(argc, argv), m_dialogs(dialogs)
{ }

bool RadioModemApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        m_dialogs.showError(error.what());
    } catch (...) {
        m_dialogs.showError({});
    }
    return false;
}
