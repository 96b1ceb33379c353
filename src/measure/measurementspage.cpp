#include "measurementspage.h"

#include "ui_measurementspage.h"

#include "bigdisplaywindow.h"
#include "devicelink.h"
#include "deviceprotocol.h"
#include "displaystate.h"
#include "protocolcodes.h"
#include "statusfield.h"

namespace {
const QString On = QStringLiteral("ON");
const QString Off = QStringLiteral("OFF");
constexpr int StatusFontPx = 12;
} // namespace

MeasurementsPage::MeasurementsPage(DeviceLink *link, DeviceProtocol *protocol,
                                   const DisplayState *state, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::MeasurementsPage>()), m_link(link),
      m_protocol(protocol), m_state(state)
{
    Q_ASSERT(link && protocol && state);
    ui->setupUi(this);
    m_inputLabels = {ui->DisplayTens1, ui->DisplayTens2, ui->DisplayTens3, ui->DisplayTens4};
    m_inputBars = {ui->PBTens1, ui->PBTens2, ui->PBTens3, ui->PBTens4};

    // Pixel sizes: a .ui font only knows points. A style sheet here would
    // hide the palette colour that status fields are painted with.
    QFont statusFont(QStringLiteral("Arial"));
    statusFont.setPixelSize(StatusFontPx);
    for (QLineEdit *field : {ui->StatusIN1, ui->StatusIN2, ui->StatusOUT1, ui->StatusOUT2})
        field->setFont(statusFont);

    connect(ui->BtnTara, &QPushButton::clicked, this, &MeasurementsPage::BtnTaraClick);
    connect(ui->Btn_ResetMinMax, &QPushButton::clicked, this,
            &MeasurementsPage::Btn_ResetMinMaxClick);
    connect(ui->Bit_BigWindow, &QPushButton::clicked, this, &MeasurementsPage::Bit_BigWindowClick);
}

MeasurementsPage::~MeasurementsPage() = default;

DisplayChoice MeasurementsPage::chosenValue() const
{
    if (ui->RadioButton_DispSum->isChecked())
        return DisplayChoice::Sum;
    if (ui->RadioButton_DispS1->isChecked())
        return DisplayChoice::Input1;
    if (ui->RadioButton_DispS2->isChecked())
        return DisplayChoice::Input2;
    if (ui->RadioButton_DispS3->isChecked())
        return DisplayChoice::Input3;
    if (ui->RadioButton_DispS4->isChecked())
        return DisplayChoice::Input4;
    return DisplayChoice::None;
}

void MeasurementsPage::DisplayDataTimer()
{
    const int decimals =
        m_mirrors.decimalPlaces ? m_mirrors.decimalPlaces() : DefaultDecimalPlaces;
    apply(liveDisplay(m_protocol->liveValues(), *m_state, m_link->isConnected(), chosenValue(),
                      decimals));
}

void MeasurementsPage::apply(const LiveDisplay &d)
{
    if (d.sumText)
        ui->DisplaySum->setText(*d.sumText);
    ui->DisplayMax->setText(d.maxText);
    ui->DisplayMin->setText(d.minText);
    if (d.copyToMirrors && m_mirrors.bigDisplay)
        m_mirrors.bigDisplay->setTexts(ui->DisplaySum->text(), ui->DisplayMax->text(),
                                       ui->DisplayMin->text());

    for (int k = 0; k < 4; ++k) {
        m_inputLabels[k]->setText(d.inputTexts[k]);
        if (d.inputEnabled[k])
            m_inputLabels[k]->setEnabled(*d.inputEnabled[k]);
        if (d.inputBars[k])
            m_inputBars[k]->setValue(*d.inputBars[k]);
        if (d.copyToMirrors && m_mirrors.valTens[k])
            m_mirrors.valTens[k]->setText(m_inputLabels[k]->text());
    }

    if (d.analogText)
        ui->Lab_VoutVal->setText(*d.analogText);
    if (d.analogBar)
        ui->PBVout->setValue(*d.analogBar);

    if (d.ioStates) {
        const std::array<bool, 4> &on = *d.ioStates;
        setStatusField(ui->StatusIN1, on[0], On, Off);
        setStatusField(ui->StatusIN2, on[1], On, Off);
        setStatusField(ui->StatusOUT1, on[2], On, Off);
        setStatusField(ui->StatusOUT2, on[3], On, Off);
        if (m_mirrors.out1Status)
            setStatusField(m_mirrors.out1Status, on[2], On, Off);
        if (m_mirrors.out2Status)
            setStatusField(m_mirrors.out2Status, on[3], On, Off);
    }
}

void MeasurementsPage::BtnTaraClick()
{
    if (const std::optional<quint8> code = taraCommand(chosenValue()))
        m_protocol->SendCommand(*code);
}

void MeasurementsPage::Btn_ResetMinMaxClick()
{
    m_protocol->SendCommand(Code::ResetMinMax);
}

void MeasurementsPage::Bit_BigWindowClick()
{
    if (m_mirrors.bigDisplay)
        m_mirrors.bigDisplay->showOrRaise();
}
