#include "bigdisplaywindow.h"

BigDisplayWindow::BigDisplayWindow(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("FormBigDisplay"));
    setWindowTitle(QStringLiteral("KLV57 - wartosc pomiaru"));
}
