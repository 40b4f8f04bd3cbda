#include "ParameterPanel.h"

#include "windows/MainWindow.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QToolButton>

namespace {

// An index outside the list selects nothing.
void select(QComboBox* box, int index)
{
    box->setCurrentIndex(index >= 0 && index < box->count() ? index : -1);
}

} // namespace

ParameterPanel::ParameterPanel(MainWindow& window)
    : sendTimer(*window.requestTimer), receiveTimer(*window.answerTimer), m_window(window)
{ }

radio::EnteredValues ParameterPanel::enteredValues() const
{
    return {m_window.channelCombo->currentIndex(), m_window.radioSpeedCombo->currentIndex(),
        m_window.radioParityCombo->currentIndex()};
}

bool ParameterPanel::verifyAfterWrite() const
{
    return m_window.verifyAfterWriteAction->isChecked();
}

void ParameterPanel::clearReadValues()
{
    m_window.modelVersionEdit->clear();
    m_window.idEdit->clear();
    for (QComboBox* box :
        {m_window.airRateCombo, m_window.radioParityCombo, m_window.radioSpeedCombo})
        box->setCurrentIndex(-1);
}

void ParameterPanel::showModel(const std::string& modelVersion, bool airRateSettable)
{
    m_window.modelVersionEdit->setText(QString::fromStdString(modelVersion));
    if (airRateSettable)
        m_window.airRateCombo->setEnabled(true);
}

void ParameterPanel::showChannel(int channelIndex)
{
    select(m_window.channelCombo, channelIndex);
}

void ParameterPanel::showAirRate(int airRateIndex)
{
    select(m_window.airRateCombo, airRateIndex);
}

void ParameterPanel::showSerialMode(int speedIndex, int parityIndex)
{
    select(m_window.radioSpeedCombo, speedIndex);
    select(m_window.radioParityCombo, parityIndex);
}

void ParameterPanel::showId(const std::string& digits)
{
    m_window.idEdit->setText(QString::fromStdString(digits));
}

void ParameterPanel::enableWrite()
{
    m_window.writeButton->setEnabled(true);
    m_window.writeAction->setEnabled(true);
}
