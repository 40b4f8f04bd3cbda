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
    fileMenu->setTitle("File(&F)");
    readAction->setText("Read Paras(&R)");
    writeAction->setText("Write Paras(&W)");
    saveSettingsAction->setText("Save settings to file...");
    loadSettingsAction->setText("Load settings from file...");
    exitAction->setText("Exit(&X)");
    radioMenu->setTitle("Edit(&E)");
    closePortAction->setText("Close Port(&C)");
    openPortAction->setText("Open Port(&O)");
    verifyAfterWriteAction->setText("Verify after write(&V)");
    helpMenu->setTitle("Help(&H)");
    manualAction->setText("Manual(&M)");
    aboutAction->setText("About(&A)");
    registerTestAction->setText("Test");
    linkTestAction->setText("Link test");
    modelGroup->setTitle("Model");
    parameterGroup->setTitle("Para Set");
    transferGroup->setTitle("Comunication");
    modelCaption->setText("Model");
    idCaption->setText("SN");
    channelCaption->setText("Chno No.");
    airRateCaption->setText("Air Rate");
    serialModeCaption->setText("Uart Rate");
    receiveCaption->setText("Receive");
    sendCaption->setText("Transmitt");
    hexDisplayCheck->setText("Hex Display");
    hexSendCheck->setText("Hex Send");
    utf8Action->setText("Text encoding: UTF-8");
    gb18030Action->setText("Text encoding: GB18030 (GBK)");
    showTimeAction->setText("Show time");
    logToFileAction->setText("Log to file...");
    saveReceivedAction->setText(saveRecDataText("Save received data...", "last"));
    autoClearCheck->setText("Auto Cls");
    autoSendCheck->setText("Auto Send");
    clearReceiveButton->setText("Cls RX Datas");
    sendButton->setText("Manual Send");
    stopDisplayButton->setText("Stop Display");
    resetCountersButton->setText("Counter Reset");
    clearSendButton->setText("Cls TX datas");
    autoSendPeriodLabel->setText("TX Timeout");
    millisecondsLabel->setText("MSEL");
    radioParityCombo->clear();
    radioParityCombo->addItems({"N", "O", "E"});
    radioParityCombo->setCurrentIndex(-1);
    readButton->setToolTip("Read Para");
    writeButton->setToolTip("Write Para");
    openPortButton->setToolTip("Open Port");
    closePortButton->setToolTip("Close Port");
    exitButton->setToolTip("Exit");
    statusPanels[3]->setText("Disconnect...");
}
