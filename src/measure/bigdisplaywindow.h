#pragma once

#include "livedisplay.h"

#include <QWidget>

#include <memory>

namespace Ui {
class BigDisplayWindow;
}

// The large-digit window (FormBigDisplay): the displayed value, maximum and
// minimum in digits readable from a distance. Created hidden at start-up and
// kept until the program ends; closing it only hides it. It has no logic:
// it shows what the display tick hands it. GUI thread only.
class BigDisplayWindow : public QWidget
{
    Q_OBJECT
public:
    explicit BigDisplayWindow(QWidget *parent = nullptr);
    ~BigDisplayWindow() override;

    // LED_display, DispMax, DispMin, whether the window is shown or not.
    void showLive(const LiveDisplay &display);
    QString valueText() const;
    QString maxText() const;
    QString minText() const;

    // Shows it without making it modal, or brings it to the front.
    void showOrRaise();

private:
    std::unique_ptr<Ui::BigDisplayWindow> ui;
};
