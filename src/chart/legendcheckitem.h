#pragma once

#include <qcustomplot.h>

// A legend entry with a check box in front of the line's symbol: ticked
// while the line is shown. The chart draws it, so it prints and saves
// with the chart.
class LegendCheckItem : public QCPPlottableLegendItem
{
    Q_OBJECT
public:
    static constexpr int BoxSize = 12;
    static constexpr int BoxPadding = 4;

    LegendCheckItem(QCPLegend *legend, QCPAbstractPlottable *line);

    bool isChecked() const;

protected:
    void draw(QCPPainter *painter) override;
    QSize minimumOuterSizeHint() const override;
};
