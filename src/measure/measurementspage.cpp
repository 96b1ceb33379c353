#include "measurementspage.h"

#include "ui_measurementspage.h"

#include "modulesession.h"
#include "protocolcodes.h"
#include "statusfield.h"

#include <QRadioButton>

namespace {
constexpr int StatusFontPx = 12;
} // namespace

MeasurementsPage::MeasurementsPage(ModuleSession &session, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::MeasurementsPage>()), m_session(session)
{
    ui->setupUi(this);
    m_inputLabels = {ui->DisplayTens1, ui->DisplayTens2, ui->DisplayTens3, ui->DisplayTens4};
    m_inputBars = {ui->PBTens1, ui->PBTens2, ui->PBTens3, ui->PBTens4};

    // Pixel sizes: a .ui font only knows points. A style sheet here would
    // hide the palette colour that status fields are painted with.
    QFont statusFont(QStringLiteral("Arial"));
    statusFont.setPixelSize(StatusFontPx);
    for (QLineEdit *field : {ui->StatusIN1, ui->StatusIN2, ui->StatusOUT1, ui->StatusOUT2})
        field->setFont(statusFont);

    for (QRadioButton *choice : {ui->RadioButton_DispSum, ui->RadioButton_DispS1, ui->RadioButton_DispS2,
                                 ui->RadioButton_DispS3, ui->RadioButton_DispS4})
        connect(choice, &QRadioButton::toggled, this, [this] { m_session.setChosen(chosenValue()); });
    m_session.setChosen(chosenValue());

    connect(ui->BtnTara, &QPushButton::clicked, this, &MeasurementsPage::tare);
    connect(ui->Btn_ResetMinMax, &QPushButton::clicked, this, &MeasurementsPage::resetMinMax);
    connect(ui->Bit_BigWindow, &QPushButton::clicked, this, &MeasurementsPage::bigWindowRequested);
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

void MeasurementsPage::showLive(const LiveDisplay &d)
{
    if (d.sumText)
        ui->DisplaySum->setText(*d.sumText);
    ui->DisplayMax->setText(d.maxText);
    ui->DisplayMin->setText(d.minText);

    for (int k = 0; k < 4; ++k) {
        m_inputLabels[k]->setText(d.inputTexts[k]);
        if (d.inputEnabled[k])
            m_inputLabels[k]->setEnabled(*d.inputEnabled[k]);
        if (d.inputBars[k])
            m_inputBars[k]->setValue(*d.inputBars[k]);
    }

    if (d.analogText)
        ui->Lab_VoutVal->setText(*d.analogText);
    if (d.analogBar)
        ui->PBVout->setValue(*d.analogBar);

    if (d.ioStates) {
        const std::array<bool, 4> &on = *d.ioStates;
        setStatusField(ui->StatusIN1, on[0], IoOn, IoOff);
        setStatusField(ui->StatusIN2, on[1], IoOn, IoOff);
        setStatusField(ui->StatusOUT1, on[2], IoOn, IoOff);
        setStatusField(ui->StatusOUT2, on[3], IoOn, IoOff);
    }
}

void MeasurementsPage::tare()
{
    if (const std::optional<quint8> code = taraCommand(chosenValue()))
        m_session.sendCommand(*code);
}

void MeasurementsPage::resetMinMax()
{
    m_session.sendCommand(Code::ResetMinMax);
}
