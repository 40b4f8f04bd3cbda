#pragma once

#include "windows/TextArea.h"

#include <QMainWindow>

#include <array>
#include <functional>
#include <memory>

class QAction;
class QActionGroup;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTimer;
class QToolButton;

namespace windows {
class ClickPanel;
} // namespace windows

// The main window: toolbar, menu, the model, parameter and data transfer groups, the status bar
// and the hidden error-rate test strip. It only lays out its controls; the program wires them.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);

    // Writes the English texts over the built Chinese ones (in MainWindowEnglish.cpp).
    void applyEnglish();
    // Fits the window to its visible contents again.
    void fitToContents();
    // Runs when the window is closed by its close box or the system menu.
    std::function<void()> onClose;
    // The context menu of a text area: the toolkit's own editing actions, then the terminal's
    // text encoding (one choice for both areas) and, for the receive area, time stamps, the
    // session log and saving what came.
    std::unique_ptr<QMenu> contextMenu(QPlainTextEdit* area);

    // toolbar
    QFrame* toolbar;
    QToolButton* readButton;
    QToolButton* writeButton;
    QToolButton* openPortButton;
    QToolButton* closePortButton;
    QToolButton* aboutButton;
    QToolButton* exitButton;
    QToolButton* blankButton;
    QToolButton* revealButton;
    // menu
    QMenu* fileMenu;
    QAction* readAction;
    QAction* writeAction;
    QAction* saveSettingsAction;
    QAction* loadSettingsAction;
    QAction* fileSeparator;
    QAction* exitAction;
    QMenu* radioMenu;
    QAction* openPortAction;
    QAction* closePortAction;
    QAction* verifyAfterWriteAction; // checked: a write reads the radio back and compares
    QMenu* helpMenu;
    QAction* manualAction;
    QAction* aboutAction;
    QAction* registerTestAction;
    QAction* linkTestAction; // the link test window, revealed with registerTestAction
    // model group
    QGroupBox* modelGroup;
    QLabel* modelCaption;
    QLineEdit* modelVersionEdit;
    QLabel* idCaption;
    QLineEdit* idEdit;
    // radio parameter group
    QGroupBox* parameterGroup;
    QLabel* channelCaption;
    QComboBox* channelCombo;
    QLabel* airRateCaption;
    QComboBox* airRateCombo;
    QLabel* serialModeCaption;
    QComboBox* radioSpeedCombo;
    QComboBox* radioParityCombo;
    // data transfer group
    QGroupBox* transferGroup;
    QLabel* receiveCaption;
    QCheckBox* hexDisplayCheck;
    QCheckBox* autoClearCheck;
    QPushButton* stopDisplayButton;
    QPushButton* clearReceiveButton;
    QPushButton* resetCountersButton;
    windows::TextArea* receiveText;
    QLabel* sendCaption;
    QPushButton* sendButton;
    QPushButton* clearSendButton;
    QPlainTextEdit* sendText;
    QCheckBox* autoSendCheck;
    QLabel* autoSendPeriodLabel;
    QLineEdit* autoSendPeriodEdit;
    QLabel* millisecondsLabel;
    QCheckBox* hexSendCheck;
    // context menu actions of the two text areas
    QActionGroup* textEncodingGroup;
    QAction* utf8Action;
    QAction* gb18030Action;
    QAction* showTimeAction;
    QAction* logToFileAction;
    QAction* saveReceivedAction;
    // status bar and the blank panels beside it
    QFrame* statusStrip;
    std::array<QLabel*, 6> statusPanels;
    windows::ClickPanel* gestureCompletePanel;
    windows::ClickPanel* gestureArmPanel;
    // error-rate test strip
    QFrame* errorRateStrip;
    windows::ClickPanel* errorTestButton;
    QCheckBox* recordCheck;
    QLabel* sentCountCaption;
    QLineEdit* sentCountEdit;
    QLabel* receivedCountCaption;
    QLineEdit* receivedCountEdit;
    QLabel* errorCountCaption;
    QLineEdit* errorCountEdit;
    QLabel* successCaption;
    QLineEdit* successEdit;
    QLabel* percentLabel;
    // timers
    QTimer* requestTimer;
    QTimer* answerTimer;
    QTimer* autoSendTimer;
    QTimer* receivePollTimer;
    QTimer* gestureTimer;
    QTimer* reopenTimer;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static QString saveRecDataText(const char* caption, const char* last);
    void buildToolbar(QWidget* client);
    void buildMenu();
    void buildModelGroup(QWidget* client);
    void buildParameterGroup(QWidget* client);
    void buildTransferGroup(QWidget* client);
    void buildTextMenus();
    void buildStatusBar(QWidget* client);
    void buildTestStrip(QWidget* client);
    void buildTimers();

    QWidget* m_client;
};
