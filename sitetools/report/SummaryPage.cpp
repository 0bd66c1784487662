#include "sitetools/report/SummaryPage.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QLocale>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace report {

namespace {

constexpr qreal PageWidth = 595; // A4 in points
constexpr qreal PageHeight = 842;
constexpr qreal Margin = 42;
constexpr qreal Width = PageWidth - 2 * Margin;
constexpr int GapLines = 3;
constexpr int UndoneShown = 6; // two lines each
constexpr qreal DayHeight = 210;

const QColor Ink(0x20, 0x20, 0x20);
const QColor Muted(0x60, 0x60, 0x60);
const QColor Bar(0x2f, 0x5d, 0x8a);
const QColor Rule(0xc8, 0xc8, 0xc8);

const QLocale &portuguese()
{
    static const QLocale locale(QLocale::Portuguese, QLocale::Portugal);
    return locale;
}

QString number(qint64 value)
{
    return portuguese().toString(value);
}

QString when(const QDateTime &moment)
{
    return moment.isValid() ? moment.toString(QStringLiteral("dd-MM-yyyy HH:mm")) : QStringLiteral("?");
}

QFont face(qreal points, bool bold = false)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// Writes the page from the top down, a line at a time.
class Writer
{
public:
    Writer(QPainter &painter, qreal top) : m_painter(painter), m_top(top) {}

    qreal top() const { return m_top; }
    void skip(qreal points) { m_top += points; }

    void line(const QString &text, const QFont &font, const QColor &colour = Ink, qreal left = Margin,
              qreal width = Width)
    {
        m_painter.setFont(font);
        m_painter.setPen(colour);
        const QFontMetricsF metrics(font, m_painter.device());
        const QString shown = metrics.elidedText(text, Qt::ElideRight, width);
        m_painter.drawText(QPointF(left, m_top + metrics.ascent()), shown);
        m_top += metrics.lineSpacing();
    }

    // A name and its figure on one line, the figures in a column of their own.
    void figure(const QString &name, qint64 count)
    {
        const qreal top = m_top;
        line(name, face(10));
        m_top = top;
        line(number(count), face(10, true), Ink, Margin + 220, 120);
    }

    void heading(const QString &text)
    {
        skip(8);
        line(text, face(11, true));
        m_painter.setPen(Rule);
        m_painter.drawLine(QPointF(Margin, m_top + 1), QPointF(Margin + Width, m_top + 1));
        skip(5);
    }

private:
    QPainter &m_painter;
    qreal m_top;
};

QString gapText(const NumberGap &gap)
{
    return gap.first == gap.last ? number(gap.first) : number(gap.first) + QStringLiteral("–") + number(gap.last);
}

// The runs of numbers never given, as many as GapLines lines hold.
QStringList gapLines(const DeliverySummary &summary, const QFontMetricsF &metrics)
{
    QStringList lines;
    QString current;
    qint64 shown = 0;
    for (const NumberGap &gap : summary.gaps()) {
        const QString piece = gapText(gap);
        const QString longer = current.isEmpty() ? piece : current + QStringLiteral(", ") + piece;
        if (metrics.horizontalAdvance(longer + QStringLiteral(", … e mais 000 000 intervalos")) <= Width) {
            current = longer;
            ++shown;
            continue;
        }
        if (lines.size() == GapLines - 1)
            break;
        lines << current + QLatin1Char(',');
        current = piece;
        ++shown;
    }
    if (shown < summary.gapRuns())
        current += QStringLiteral(", … e mais %1 intervalos").arg(number(summary.gapRuns() - shown));
    if (!current.isEmpty())
        lines << current;
    return lines;
}

void drawTotals(Writer &writer, const DeliverySummary &summary)
{
    writer.heading(QStringLiteral("Totais"));
    struct Row
    {
        QString name;
        qint64 count;
        bool always;
    };
    const Row rows[] = {
        {QStringLiteral("HALDOR"), summary.deliveredFor(Association::Haldor), true},
        {QStringLiteral("MIRVA"), summary.deliveredFor(Association::Mirva), true},
        {QStringLiteral("Em ambas (HALDOR / MIRVA)"), summary.deliveredFor(Association::Both), false},
        {QStringLiteral("Associação desconhecida"), summary.deliveredFor(Association::Unknown), false},
        {QStringLiteral("Total de convites entregues"), summary.delivered(), true},
        {QStringLiteral("Entregas anuladas"), summary.undone(), true},
        {QStringLiteral("Números nunca atribuídos"), summary.missingNumbers(), true},
    };
    for (const Row &row : rows)
        if (row.always || row.count > 0)
            writer.figure(row.name, row.count);
}

// One day's bars over the hours shown, the count above each and the hour below.
void drawDay(QPainter &painter, const QRectF &area, const QDate &day, const QMap<int, qint64> &hours, int firstHour,
             int lastHour, qint64 tallest, QList<DrawnBar> &bars)
{
    qint64 total = 0;
    for (const qint64 count : hours)
        total += count;
    Writer title(painter, area.top());
    title.line(QStringLiteral("%1 — %2 entregas")
                   .arg(portuguese().toString(day, QStringLiteral("dddd, dd-MM-yyyy")), number(total)),
               face(9, true));
    const int columns = lastHour - firstHour + 1;
    const qreal step = area.width() / columns;
    // The counts shrink to their column's width (24 hours of thousands).
    QFont small = face(6.5);
    const qreal widest = QFontMetricsF(small, painter.device()).horizontalAdvance(number(tallest));
    if (widest > step * 0.95)
        small.setPointSizeF(qMax(4.0, 6.5 * step * 0.95 / widest));
    const QFontMetricsF metrics(small, painter.device());
    const qreal base = area.bottom() - metrics.lineSpacing() - 2;
    const qreal top = title.top() + metrics.lineSpacing() + 2;
    painter.setPen(Rule);
    painter.drawLine(QPointF(area.left(), base), QPointF(area.right(), base));
    painter.setFont(small);
    for (int hour = firstHour; hour <= lastHour; ++hour) {
        const qint64 count = hours.value(hour);
        const qreal left = area.left() + (hour - firstHour) * step;
        const qreal height = tallest > 0 ? (base - top) * qreal(count) / qreal(tallest) : 0;
        const QRectF rect(left + step * 0.15, base - height, step * 0.7, height);
        if (count > 0) {
            painter.fillRect(rect, Bar);
            painter.setPen(Ink);
            painter.drawText(QRectF(left, rect.top() - metrics.lineSpacing(), step, metrics.lineSpacing()),
                             Qt::AlignHCenter | Qt::AlignBottom, number(count));
        }
        painter.setPen(Muted);
        painter.drawText(QRectF(left, base + 1, step, metrics.lineSpacing()), Qt::AlignHCenter | Qt::AlignTop,
                         QStringLiteral("%1h").arg(hour));
        bars << DrawnBar{day, hour, count, rect};
    }
}

void drawChart(QPainter &painter, Writer &writer, qreal bottom, const DeliverySummary &summary, QList<DrawnBar> &bars)
{
    writer.heading(QStringLiteral("Entregas por hora"));
    const auto &perHour = summary.perHour();
    if (perHour.isEmpty()) {
        writer.line(QStringLiteral("Nenhuma entrega."), face(10), Muted);
        return;
    }
    QList<QDate> days = perHour.keys();
    qint64 earlier = 0;
    while (days.size() > ChartedDays) {
        for (const qint64 count : perHour.value(days.first()))
            earlier += count;
        days.removeFirst();
    }
    if (earlier > 0)
        writer.line(QStringLiteral("Os %1 dias anteriores, com %2 entregas, não cabem nesta página.")
                        .arg(perHour.size() - days.size())
                        .arg(number(earlier)),
                    face(8), Muted);
    // One scale and one span of hours for every day, so the days compare at a glance.
    int firstHour = 23, lastHour = 0;
    qint64 tallest = 0;
    for (const QDate &day : days)
        for (auto at = perHour.value(day).constBegin(); at != perHour.value(day).constEnd(); ++at) {
            firstHour = qMin(firstHour, at.key());
            lastHour = qMax(lastHour, at.key());
            tallest = qMax(tallest, at.value());
        }
    const qreal height = qMin<qreal>(DayHeight, (bottom - writer.top()) / days.size());
    for (const QDate &day : days) {
        drawDay(painter, QRectF(Margin, writer.top(), Width, height - 6), day, perHour.value(day), firstHour, lastHour,
                tallest, bars);
        writer.skip(height);
    }
}

void drawGaps(Writer &writer, QPainter &painter, const DeliverySummary &summary)
{
    writer.heading(QStringLiteral("Números nunca atribuídos (%1)").arg(number(summary.missingNumbers())));
    const QFont font = face(9);
    if (summary.gapRuns() == 0) {
        writer.line(
            QStringLiteral("Nenhum: os números de 1 a %1 foram todos atribuídos.").arg(number(summary.highestNumber())),
            font, Muted);
        return;
    }
    for (const QString &line : gapLines(summary, QFontMetricsF(font, painter.device())))
        writer.line(line, font);
}

void drawUndone(Writer &writer, const PageContent &content)
{
    const qint64 undone = content.summary.undone();
    writer.heading(QStringLiteral("Entregas anuladas (%1)").arg(number(undone)));
    const QFont font = face(8);
    if (undone == 0 && content.undone.isEmpty()) {
        writer.line(QStringLiteral("Nenhuma."), font, Muted);
        return;
    }
    // The last ones, each its delivery and then when, who, where and why.
    const qsizetype shown = qMin<qsizetype>(content.undone.size(), UndoneShown);
    for (qsizetype i = content.undone.size() - shown; i < content.undone.size(); ++i) {
        const UndoneRecord &record = content.undone.at(i);
        writer.line(QStringLiteral("nº %1 — %2, entregue %3")
                        .arg(number(record.number), record.nome.isEmpty() ? QStringLiteral("?") : record.nome,
                             when(record.delivered)),
                    face(8, true));
        writer.line(QStringLiteral("anulada %1 por %2 em %3: %4")
                        .arg(when(record.undoneAt), record.account, record.computer, record.reason),
                    font, Ink, Margin + 12, Width - 12);
    }
    QStringList notes;
    if (content.undone.size() > shown)
        notes << QStringLiteral("as %1 anteriores não cabem nesta página").arg(number(content.undone.size() - shown));
    if (undone > content.undone.size())
        notes << QStringLiteral("%1 sem registo da anulação").arg(number(undone - content.undone.size()));
    if (!notes.isEmpty())
        writer.line(QStringLiteral("(%1)").arg(notes.join(QStringLiteral("; "))), font, Muted);
}

qreal lineSpacing(QPainter &painter, const QFont &font)
{
    return QFontMetricsF(font, painter.device()).lineSpacing();
}

} // namespace

QList<DrawnBar> drawSummaryPage(QPainter &painter, const PageContent &content)
{
    QList<DrawnBar> bars;
    painter.fillRect(QRectF(0, 0, PageWidth, PageHeight), Qt::white);
    Writer writer(painter, Margin);
    writer.line(QStringLiteral("Convites entregues"), face(18, true));
    if (!content.eventTitle.isEmpty())
        writer.line(content.eventTitle, face(11));
    writer.line(QStringLiteral("Relatório de %1 · números de 1 a %2")
                    .arg(when(content.madeAt), number(content.summary.highestNumber())),
                face(9), Muted);
    if (content.summary.withoutDate() > 0)
        writer.line(QStringLiteral("%1 entregas sem data legível ficam fora do gráfico.")
                        .arg(number(content.summary.withoutDate())),
                    face(9), Muted);
    drawTotals(writer, content.summary);

    // The lists below the chart take what they need; the chart the rest.
    const qreal headingHeight = 13 + lineSpacing(painter, face(11, true));
    const qsizetype undoneShown = qMin<qsizetype>(content.undone.size(), UndoneShown);
    const qreal lists = 2 * headingHeight + GapLines * lineSpacing(painter, face(9)) +
                        (2 * undoneShown + 1) * lineSpacing(painter, face(8, true));
    drawChart(painter, writer, PageHeight - Margin - lists, content.summary, bars);
    drawGaps(writer, painter, content.summary);
    drawUndone(writer, content);
    return bars;
}

QByteArray summaryPdf(const PageContent &content, QList<DrawnBar> *bars)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setResolution(72);
        writer.setTitle(QStringLiteral("Convites entregues"));
        writer.setCreator(QStringLiteral("Velunas"));
        QPainter painter(&writer);
        const QList<DrawnBar> drawn = drawSummaryPage(painter, content);
        if (bars)
            *bars = drawn;
    }
    return buffer.data();
}

} // namespace report
