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
    : sendTimer(*form.Timer_SdCmd), receiveTimer(*form.Timer_RecCmd), m_form(form)
{ }

radio::EnteredValues ParameterPanel::enteredValues() const
{
    return {m_form.ComboChnn->currentIndex(), m_form.ComboRadioSerBaud->currentIndex(),
        m_form.ComboRadioParity->currentIndex()};
}

bool ParameterPanel::verifyAfterWrite() const
{
    return m_form.Seri_V_M->isChecked();
}

void ParameterPanel::clearReadValues()
{
    m_form.EditModelVer->clear();
    m_form.EditID->clear();
    for (QComboBox* box : {m_form.ComboAirBaud, m_form.ComboRadioParity, m_form.ComboRadioSerBaud})
        box->setCurrentIndex(-1);
}

void ParameterPanel::showModel(const std::string& modelVersion, bool airRateSettable)
{
    m_form.EditModelVer->setText(QString::fromStdString(modelVersion));
    if (airRateSettable)
        m_form.ComboAirBaud->setEnabled(true);
}

void ParameterPanel::showChannel(int channelIndex)
{
    select(m_form.ComboChnn, channelIndex);
}

void ParameterPanel::showAirRate(int airRateIndex)
{
    select(m_form.ComboAirBaud, airRateIndex);
}

void ParameterPanel::showSerialMode(int speedIndex, int parityIndex)
{
    select(m_form.ComboRadioSerBaud, speedIndex);
    select(m_form.ComboRadioParity, parityIndex);
}

void ParameterPanel::showId(const std::string& digits)
{
    m_form.EditID->setText(QString::fromStdString(digits));
}

void ParameterPanel::enableWrite()
{
    m_form.Speed_W->setEnabled(true);
    m_form.FileWrite->setEnabled(true);
}
