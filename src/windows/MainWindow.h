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

    // Writes the English texts over the built Chinese ones (in MainFormEnglish.cpp).
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
    QFrame* Panel1;
    QToolButton* Speed_R;
    QToolButton* Speed_W;
    QToolButton* Speed_O;
    QToolButton* Speed_C;
    QToolButton* BitBtn1;
    QToolButton* Speed_E;
    QToolButton* SpeedButton1;
    QToolButton* SpeedButton2;
    // menu
    QMenu* FIle_M;
    QAction* FileRead;
    QAction* FileWrite;
    QAction* FileSaveSettings;
    QAction* FileLoadSettings;
    QAction* N2;
    QAction* FileExit;
    QMenu* Seri_M;
    QAction* Seri_O_M;
    QAction* Seri_C_M;
    QAction* Seri_V_M; // checked: a write reads the radio back and compares
    QMenu* Help_M;
    QAction* Help_U_M;
    QAction* Help_A_M;
    QAction* Test_M;
    QAction* LinkTest_M; // the link test window, revealed with Test_M
    // model group
    QGroupBox* GroupBox3;
    QLabel* ParaModel;
    QLineEdit* EditModelVer;
    QLabel* ParaID;
    QLineEdit* EditID;
    // radio parameter group
    QGroupBox* GroupBox1;
    QLabel* ParaChnn;
    QComboBox* ComboChnn;
    QLabel* ParaAriBaud;
    QComboBox* ComboAirBaud;
    QLabel* ParaSerialBaud;
    QComboBox* ComboRadioSerBaud;
    QComboBox* ComboRadioParity;
    // data transfer group
    QGroupBox* GroupBox2;
    QLabel* Panel8;
    QCheckBox* Check_RecHex;
    QCheckBox* Check_AutoClr;
    QPushButton* Button1;
    QPushButton* Button_ClrRecMemo;
    QPushButton* Button3;
    windows::TextArea* Memo_Rec;
    QLabel* Panel9;
    QPushButton* Button_ManulTrtt;
    QPushButton* Button_ClrTrttMemo;
    QPlainTextEdit* Memo_Trtt;
    QCheckBox* Check_AutoTrtt;
    QLabel* Label9;
    QLineEdit* Edit_TrttPerio;
    QLabel* Label10;
    QCheckBox* Check_TrttHex;
    // context menu actions of the two text areas
    QActionGroup* TextEncodingGroup;
    QAction* TextUtf8;
    QAction* TextGb18030;
    QAction* ShowTime;
    QAction* LogToFile;
    QAction* SaveRecData;
    // status bar and the blank panels beside it
    QFrame* StatusBar1;
    std::array<QLabel*, 6> statusPanels;
    windows::ClickPanel* Panel10;
    windows::ClickPanel* Panel11;
    // error-rate test strip
    QFrame* Panel2;
    windows::ClickPanel* PanelTrttTest;
    QCheckBox* CheckTrtt;
    QLabel* Panel3;
    QLineEdit* Edit1;
    QLabel* Panel4;
    QLineEdit* Edit2;
    QLabel* Panel7;
    QLineEdit* Edit4;
    QLabel* Panel5;
    QLineEdit* Edit3;
    QLabel* Panel6;
    // timers
    QTimer* Timer_SdCmd;
    QTimer* Timer_RecCmd;
    QTimer* Timer_TrttData;
    QTimer* Timer_RecData;
    QTimer* Timer1;
    QTimer* Timer_Reopen;

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
