#include "QtDialogs.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>

namespace platform {

namespace {

QString toQt(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

void QtDialogs::showMessage(const std::string& text)
{
    QMessageBox box(
        QMessageBox::NoIcon, QApplication::applicationName(), toQt(text), QMessageBox::Ok);
    box.exec();
}

MessageResult QtDialogs::messageBox(
    const std::string& text, const std::string& caption, MessageButtons buttons)
{
    const auto standard = buttons == MessageButtons::RetryCancel
        ? QMessageBox::Retry | QMessageBox::Cancel
        : QMessageBox::StandardButtons(QMessageBox::Ok);
    QMessageBox box(QMessageBox::NoIcon, toQt(caption), toQt(text), standard);
    switch (box.exec()) {
    case QMessageBox::Retry:
        return MessageResult::Retry;
    case QMessageBox::Cancel:
        return MessageResult::Cancel;
    default:
        return buttons == MessageButtons::RetryCancel ? MessageResult::Cancel : MessageResult::Ok;
    }
}

void QtDialogs::showError(const std::string& text)
{
    QMessageBox box(
        QMessageBox::Critical, QApplication::applicationName(), toQt(text), QMessageBox::Ok);
    box.exec();
}

std::optional<std::string> QtDialogs::saveFileName(const std::string& caption)
{
    // The dialog asks itself before it replaces an existing file.
    const QString name = QFileDialog::getSaveFileName(QApplication::activeWindow(), toQt(caption));
    if (name.isEmpty())
        return std::nullopt;
    return QFile::encodeName(name).toStdString();
}

} // namespace platform
