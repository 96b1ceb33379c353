#include "chartplot.h"

#include "chartline.h"
#include "colours.h"
#include "legendcheckitem.h"
#include "messageids.h"
#include "messagetable.h"
#include "translationstore.h"
#include "valueformat.h"

namespace {

// TColor values of Series1..Series5.
constexpr quint32 LineColours[ChartLineCount] = {1601767, 1617676, 12303108, 210, 0};
constexpr int LineWidth = 2;
constexpr int FontPx = 11;
constexpr int LabelDecimals = 5;
// Room in the legend row for ChartStatus on the left and Btn_ChartTips on the right.
constexpr int LegendRowHeight = 36;
constexpr int RoomLeftOfLegend = 96;
constexpr int RoomRightOfLegend = 84;

class LabelTicker : public QCPAxisTicker
{
protected:
    QString getTickLabel(double tick, const QLocale &locale, QChar, int) override
    {
        return ChartPlot::axisLabel(tick, locale);
    }
};

QFont chartFont(bool bold = false)
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(FontPx);
    font.setBold(bold);
    return font;
}

QBrush verticalGradient(const QColor &top, const QColor &bottom)
{
    QLinearGradient gradient(0, 0, 0, 1);
    gradient.setCoordinateMode(QGradient::ObjectBoundingMode);
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    return QBrush(gradient);
}

void setUpAxis(QCPAxis *axis, const QString &title)
{
    axis->setLabel(title);
    axis->setLabelFont(chartFont(true));
    axis->setTickLabelFont(chartFont());
    axis->setTicker(QSharedPointer<LabelTicker>::create());
}

} // namespace

ChartPlot::ChartPlot(QWidget *parent) : QCustomPlot(parent)
{
    setAutoAddPlottableToLegend(false);
    setNoAntialiasingOnDrag(true);

    setBackground(verticalGradient(QColor(0xF4, 0xF4, 0xF4), QColor(0xD6, 0xDA, 0xE0)));
    axisRect()->setBackground(verticalGradient(Qt::white, QColor(0xE4, 0xEA, 0xF2)));
    setUpAxis(xAxis, GetTextOrDefault(Msg::KLV_ChartTimeAxis));
    setUpAxis(yAxis, GetTextOrDefault(Msg::KLV_ChartValueAxis));
    xAxis2->setVisible(false);
    yAxis2->setVisible(false);
    xAxis->setRange(m_homeTime);
    yAxis->setRange(m_homeValue);

    const QStringList titles = lineTitles(ActiveLanguage());
    for (int k = 0; k < ChartLineCount; ++k) {
        auto *line = new ChartLine(xAxis, yAxis, &m_samples, k);
        line->setObjectName(QStringLiteral("Series%1").arg(k + 1));
        line->setName(titles[k]);
        line->setPen(QPen(fromTColor(LineColours[k]), LineWidth));
        m_lines[k] = line;
    }

    // The legend in a row of its own below the plot, centred, as one row of entries.
    axisRect()->insetLayout()->take(legend);
    axisRect()->insetLayout()->simplify();
    auto *legendRow = new QCPLayoutGrid;
    plotLayout()->addElement(1, 0, legendRow);
    plotLayout()->setRowStretchFactor(1, 0.001);
    auto *left = new QCPLayoutElement(this);
    left->setMinimumSize(RoomLeftOfLegend, LegendRowHeight);
    auto *right = new QCPLayoutElement(this);
    right->setMinimumSize(RoomRightOfLegend, LegendRowHeight);
    legendRow->addElement(0, 0, left);
    legendRow->addElement(0, 1, legend);
    legendRow->addElement(0, 2, right);
    legendRow->setColumnStretchFactors({1, 0.001, 1});
    legendRow->setMargins(QMargins(0, 0, 0, 4));
    legend->setVisible(true);
    legend->setFillOrder(QCPLegend::foColumnsFirst);
    legend->setFont(chartFont());
    legend->setIconSize(14, 14);
    legend->setIconTextPadding(4);
    legend->setColumnSpacing(6);
    legend->setMargins(QMargins(5, 3, 5, 3));
    legend->setBrush(verticalGradient(Qt::white, QColor(0xE2, 0xE2, 0xE2)));
    legend->setSelectableParts(QCPLegend::spNone);
    for (int k = 0; k < ChartLineCount; ++k) {
        m_legendItems[k] = new LegendCheckItem(legend, m_lines[k]);
        legend->addItem(m_legendItems[k]);
    }

    setSelectionRectMode(QCP::srmZoom);
    connect(this, &QCustomPlot::legendClick, this,
            [this](QCPLegend *, QCPAbstractLegendItem *item, QMouseEvent *) { toggleLine(item); });
}

QString ChartPlot::axisLabel(double value, const QLocale &locale)
{
    return formatShortest(value, LabelDecimals, locale);
}

QStringList ChartPlot::lineTitles(int language)
{
    // A line's legend title where the store has one, its title otherwise;
    // a language without the text takes the Polish one.
    QHash<QString, QString> texts;
    for (const TranslationStore::Row &row : TranslationStore::program().section(QStringLiteral("stOtherStrings")))
        texts.insert(row.id, row.text(language).isEmpty() ? row.text(1) : row.text(language));
    QStringList titles;
    for (int k = 1; k <= ChartLineCount; ++k) {
        const QString legendTitle = texts.value(QStringLiteral("Series%1.LegendTitle").arg(k));
        titles << (legendTitle.isEmpty() ? texts.value(QStringLiteral("Series%1.Title").arg(k)) : legendTitle);
    }
    return titles;
}

void ChartPlot::setLineTitles(const QStringList &titles)
{
    for (int k = 0; k < ChartLineCount && k < titles.size(); ++k)
        m_lines[k]->setName(titles[k]);
}

void ChartPlot::setAxisTitles(const QString &time, const QString &value)
{
    xAxis->setLabel(time);
    yAxis->setLabel(value);
}

void ChartPlot::appendSample(double x, const std::array<double, ChartLineCount> &y)
{
    m_samples.append(x, y);
}

void ChartPlot::clearPoints()
{
    m_samples.clear();
}

void ChartPlot::setLineVisible(int line, bool visible)
{
    m_lines[line]->setVisible(visible);
}

bool ChartPlot::isLineVisible(int line) const
{
    return m_lines[line]->visible();
}

LineFlags ChartPlot::lineVisibility() const
{
    LineFlags flags{};
    for (int k = 0; k < ChartLineCount; ++k)
        flags[k] = m_lines[k]->visible();
    return flags;
}

void ChartPlot::setTimeRange(const AxisRange &range)
{
    m_homeTime = QCPRange(range.lower, range.upper);
    xAxis->setRange(m_homeTime);
}

void ChartPlot::setValueRange(const AxisRange &range)
{
    m_homeValue = QCPRange(range.lower, range.upper);
    yAxis->setRange(m_homeValue);
}

AxisRange ChartPlot::timeRange() const
{
    return {xAxis->range().lower, xAxis->range().upper};
}

AxisRange ChartPlot::valueRange() const
{
    return {yAxis->range().lower, yAxis->range().upper};
}

ChartView ChartPlot::view() const
{
    return {timeRange(), valueRange(), axisRect()->width(), axisRect()->height(),
            lineVisibility()};
}

void ChartPlot::undoZoom()
{
    xAxis->setRange(m_homeTime);
    yAxis->setRange(m_homeValue);
}

void ChartPlot::toggleLine(QCPAbstractLegendItem *item)
{
    for (int k = 0; k < ChartLineCount; ++k) {
        if (item == m_legendItems[k]) {
            const bool visible = !m_lines[k]->visible();
            m_lines[k]->setVisible(visible);
            emit lineVisibilityChanged(k, visible);
            replot(rpQueuedReplot);
            return;
        }
    }
}

void ChartPlot::mousePressEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    const bool onPlot = axisRect()->rect().contains(pos);
    if (event->button() == Qt::RightButton) {
        if (onPlot) {
            m_scrolling = true;
            m_scrollFromX = pos.x();
            m_scrollRange = xAxis->range();
        }
        event->accept();
        return;
    }
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    m_zoomFrom = pos;
    if (onPlot) {
        QCustomPlot::mousePressEvent(event);
        return;
    }
    // Off the plot area a press is a click (on the legend), not a zoom rectangle.
    setSelectionRectMode(QCP::srmNone);
    QCustomPlot::mousePressEvent(event);
    setSelectionRectMode(QCP::srmZoom);
}

void ChartPlot::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_scrolling) {
        QCustomPlot::mouseMoveEvent(event);
        return;
    }
    const double perPixel = m_scrollRange.size() / std::max(1, axisRect()->width());
    const double shift = (m_scrollFromX - event->position().x()) * perPixel;
    xAxis->setRange(m_scrollRange.lower + shift, m_scrollRange.upper + shift);
    replot(rpQueuedReplot);
    event->accept();
}

void ChartPlot::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton) {
        m_scrolling = false;
        event->accept();
        return;
    }
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    QCustomPlot::mouseReleaseEvent(event);
}

void ChartPlot::processRectZoom(QRect, QMouseEvent *event)
{
    const QPointF to = event->position();
    if (to.x() > m_zoomFrom.x() && to.y() > m_zoomFrom.y()) {
        // From the pixels pressed and released: QRectF(QRect) reaches one pixel further.
        axisRect()->zoom(QRectF(QPointF(m_zoomFrom), to), {xAxis, yAxis});
    } else {
        undoZoom();
    }
    replot(rpQueuedReplot);
}
