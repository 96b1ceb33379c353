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

void BigDisplayWindow::setTexts(const QString &value, const QString &max, const QString &min)
{
    ui->LED_display->setText(value);
    ui->DispMax->setText(max);
    ui->DispMin->setText(min);
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
