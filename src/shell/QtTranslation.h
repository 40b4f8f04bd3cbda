#pragma once

#include <QTranslator>

#include <memory>

namespace shell {

// Installs Qt's own Simplified Chinese translations (qtbase), so that the toolkit's standard
// buttons and dialogs read 确定, 重试, 取消. Returns the installed translator, which removes
// itself when destroyed, or nothing when the translations are not on this system: the
// standard buttons then stay English.
std::unique_ptr<QTranslator> installQtChinese();

} // namespace shell
