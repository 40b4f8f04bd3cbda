#include "QtDialogs.h"

#include "WindowFrame.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>

#include <utility>

namespace platform {

namespace {

QString toQt(const std::string& text)
{
    return QString::fromStdString(text);
}

int run(QMessageBox& box)
{
    widenToCaption(box);
    return box.exec();
}

std::optional<std::string> fileName(const std::string& caption, QFileDialog::Options options)
{
    const QString name = QFileDialog::getSaveFileName(
        QApplication::activeWindow(), toQt(caption), QString(), QString(), nullptr, options);
    if (name.isEmpty())
        return std::nullopt;
    return QFile::encodeName(name).toStdString();
}

} // namespace

QtDialogs::QtDialogs(std::string applicationTitle) : m_applicationTitle(std::move(applicationTitle))
{ }

void QtDialogs::showMessage(const std::string& text)
{
    QMessageBox box(QMessageBox::NoIcon, toQt(m_applicationTitle), toQt(text), QMessageBox::Ok);
    run(box);
}

MessageResult QtDialogs::messageBox(
    const std::string& text, const std::string& caption, MessageButtons buttons)
{
    QMessageBox::StandardButtons standard = QMessageBox::Ok;
    if (buttons == MessageButtons::RetryCancel)
        standard = QMessageBox::Retry | QMessageBox::Cancel;
    else if (buttons == MessageButtons::OkCancel)
        standard = QMessageBox::Ok | QMessageBox::Cancel;
    QMessageBox box(QMessageBox::NoIcon, toQt(caption), toQt(text), standard);
    switch (run(box)) {
    case QMessageBox::Retry:
        return MessageResult::Retry;
    case QMessageBox::Cancel:
        return MessageResult::Cancel;
    case QMessageBox::Ok:
        return MessageResult::Ok;
    default:
        // Closed without a button: the box's Cancel where it has one.
        return buttons == MessageButtons::Ok ? MessageResult::Ok : MessageResult::Cancel;
    }
}

void QtDialogs::showError(const std::string& text)
{
    QMessageBox box(QMessageBox::Critical, toQt(m_applicationTitle), toQt(text), QMessageBox::Ok);
    run(box);
}

std::optional<std::string> QtDialogs::saveFileName(const std::string& caption)
{
    // The dialog asks itself before it replaces an existing file.
    return fileName(caption, {});
}

std::optional<std::string> QtDialogs::appendFileName(const std::string& caption)
{
    return fileName(caption, QFileDialog::DontConfirmOverwrite);
}

std::optional<std::string> QtDialogs::openFileName(const std::string& caption)
{
    const QString name = QFileDialog::getOpenFileName(QApplication::activeWindow(), toQt(caption));
    if (name.isEmpty())
        return std::nullopt;
    return QFile::encodeName(name).toStdString();
}

} // namespace platform
