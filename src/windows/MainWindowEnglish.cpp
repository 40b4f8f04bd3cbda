#include "MainWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>

// The main window is built with its Chinese captions; these are its English ones.
void MainWindow::applyEnglish()
{
    setWindowTitle("TRANSCEIVER DEMO SOFTWARE");
    FIle_M->setTitle("File(&F)");
    FileRead->setText("Read Paras(&R)");
    FileWrite->setText("Write Paras(&W)");
    FileSaveSettings->setText("Save settings to file...");
    FileLoadSettings->setText("Load settings from file...");
    FileExit->setText("Exit(&X)");
    Seri_M->setTitle("Edit(&E)");
    Seri_C_M->setText("Close Port(&C)");
    Seri_O_M->setText("Open Port(&O)");
    Seri_V_M->setText("Verify after write(&V)");
    Help_M->setTitle("Help(&H)");
    Help_U_M->setText("Manual(&M)");
    Help_A_M->setText("About(&A)");
    Test_M->setText("Test");
    LinkTest_M->setText("Link test");
    GroupBox3->setTitle("Model");
    GroupBox1->setTitle("Para Set");
    GroupBox2->setTitle("Comunication");
    ParaModel->setText("Model");
    ParaID->setText("SN");
    ParaChnn->setText("Chno No.");
    ParaAriBaud->setText("Air Rate");
    ParaSerialBaud->setText("Uart Rate");
    Panel8->setText("Receive");
    Panel9->setText("Transmitt");
    Check_RecHex->setText("Hex Display");
    Check_TrttHex->setText("Hex Send");
    TextUtf8->setText("Text encoding: UTF-8");
    TextGb18030->setText("Text encoding: GB18030 (GBK)");
    ShowTime->setText("Show time");
    LogToFile->setText("Log to file...");
    SaveRecData->setText(saveRecDataText("Save received data...", "last"));
    Check_AutoClr->setText("Auto Cls");
    Check_AutoTrtt->setText("Auto Send");
    Button_ClrRecMemo->setText("Cls RX Datas");
    Button_ManulTrtt->setText("Manual Send");
    Button1->setText("Stop Display");
    Button3->setText("Counter Reset");
    Button_ClrTrttMemo->setText("Cls TX datas");
    Label9->setText("TX Timeout");
    Label10->setText("MSEL");
    ComboRadioParity->clear();
    ComboRadioParity->addItems({"N", "O", "E"});
    ComboRadioParity->setCurrentIndex(-1);
    Speed_R->setToolTip("Read Para");
    Speed_W->setToolTip("Write Para");
    Speed_O->setToolTip("Open Port");
    Speed_C->setToolTip("Close Port");
    Speed_E->setToolTip("Exit");
    statusPanels[3]->setText("Disconnect...");
}
