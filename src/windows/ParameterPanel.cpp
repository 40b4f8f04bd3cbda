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

ParameterPanel::ParameterPanel(MainWindow& form)
    : sendTimer(*form.requestTimer), receiveTimer(*form.answerTimer), m_form(form)
{ }

radio::EnteredValues ParameterPanel::enteredValues() const
{
    return {m_form.channelCombo->currentIndex(), m_form.radioSpeedCombo->currentIndex(),
        m_form.radioParityCombo->currentIndex()};
}

bool ParameterPanel::verifyAfterWrite() const
{
    return m_form.verifyAfterWriteAction->isChecked();
}

void ParameterPanel::clearReadValues()
{
    m_form.modelVersionEdit->clear();
    m_form.idEdit->clear();
    for (QComboBox* box : {m_form.airRateCombo, m_form.radioParityCombo, m_form.radioSpeedCombo})
        box->setCurrentIndex(-1);
}

void ParameterPanel::showModel(const std::string& modelVersion, bool airRateSettable)
{
    m_form.modelVersionEdit->setText(QString::fromStdString(modelVersion));
    if (airRateSettable)
        m_form.airRateCombo->setEnabled(true);
}

void ParameterPanel::showChannel(int channelIndex)
{
    select(m_form.channelCombo, channelIndex);
}

void ParameterPanel::showAirRate(int airRateIndex)
{
    select(m_form.airRateCombo, airRateIndex);
}

void ParameterPanel::showSerialMode(int speedIndex, int parityIndex)
{
    select(m_form.radioSpeedCombo, speedIndex);
    select(m_form.radioParityCombo, parityIndex);
}

void ParameterPanel::showId(const std::string& digits)
{
    m_form.idEdit->setText(QString::fromStdString(digits));
}

void ParameterPanel::enableWrite()
{
    m_form.writeButton->setEnabled(true);
    m_form.writeAction->setEnabled(true);
}
