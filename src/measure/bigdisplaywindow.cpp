#include "bigdisplaywindow.h"

#include "ui_bigdisplaywindow.h"

namespace {
const QSize ClientSize(1159, 291);
const QPoint FirstPlace(218, 229);
} // namespace

// Fixed single border, system menu and minimise only.
BigDisplayWindow::BigDisplayWindow(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::BigDisplayWindow>())
{
    ui->setupUi(this);
    setFixedSize(ClientSize);
    move(FirstPlace);
}

BigDisplayWindow::~BigDisplayWindow() = default;

void BigDisplayWindow::showLive(const LiveDisplay &display)
{
    if (!display.connected) // the last values stay when the module goes away
        return;
    if (display.sumText)
        ui->LED_display->setText(*display.sumText);
    ui->DispMax->setText(display.maxText);
    ui->DispMin->setText(display.minText);
}

QString BigDisplayWindow::valueText() const
{
    return ui->LED_display->text();
}

QString BigDisplayWindow::maxText() const
{
    return ui->DispMax->text();
}

QString BigDisplayWindow::minText() const
{
    return ui->DispMin->text();
}

void BigDisplayWindow::showOrRaise()
{
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
}
