#pragma once

#include <QWidget>

// The large-digit window (FormBigDisplay).
class BigDisplayWindow : public QWidget
{
    Q_OBJECT
public:
    explicit BigDisplayWindow(QWidget *parent = nullptr);
};
