#include "DataReport.h"

#include "GroupStream.h"
#include "ReportRows.h"
#include "datFenwarda.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QImage>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QRawFont>
#include <algorithm>
#include <limits>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

constexpr qreal Margin = 36; // half an inch
constexpr qreal PageNumberPoints = 9.75;
constexpr qreal PageNumberWidth = 90;
constexpr qreal ShopNamePoints = 12;
constexpr qreal ShopLinePoints = 9.75; // the address and phone under the name
constexpr qreal FieldPoints = 9.75;    // a line report's fields
constexpr qreal HeaderGap = 6;         // between a band's text and the line under it, and after the line
constexpr qreal TextGap = 3; // kept free at the right of a text's box: it never touches the next column

QString pageNumberText(int page)
{
    return QStringLiteral("Página %1").arg(page + 1);
}

// Qt's PDF writer takes and gives back some megabytes for every page (the
// page's text, its compression). The C library would hand the top of the
// heap back to the system each time, and map it afresh for the next page:
// about a third of the time of a long report went there. While a report is
// rendered the heap keeps them; they go back once it is done.
class HeapKept
{
public:
    HeapKept()
    {
#ifdef __GLIBC__
        // Its buffers of some megabytes come from the heap, not mapped
        // apart each time.
        mallopt(M_MMAP_THRESHOLD, 32 << 20);
        mallopt(M_TOP_PAD, 64 << 20);
        mallopt(M_TRIM_THRESHOLD, 256 << 20);
#endif
    }
    ~HeapKept()
    {
#ifdef __GLIBC__
        // The C library's documented defaults.
        mallopt(M_MMAP_THRESHOLD, 128 << 10);
        mallopt(M_TOP_PAD, 128 << 10);
        mallopt(M_TRIM_THRESHOLD, 128 << 10);
        malloc_trim(0);
#endif
    }
    HeapKept(const HeapKept&) = delete;
    HeapKept& operator=(const HeapKept&) = delete;
};

} // namespace

// Draws a line of text as QPainter::drawText does, from glyphs kept per
// character: shaping every cell of a long report again took a quarter of
// its time, for texts that shaping leaves as they are. Texts that need it
// (other scripts, combining marks, letters the font lacks) are left to
// drawText.
class DataReport::PlainText
{
public:
    PlainText(const QFont& font, const QPaintDevice* device)
        : m_raw(QRawFont::fromFont(font)), m_metrics(font, device)
    {
    }

    bool draw(QPainter& painter, const QRectF& rect, bool alignRight, const QString& text)
    {
        if (!m_raw.isValid())
            return false;
        m_indexes.resize(text.size());
        m_positions.resize(text.size());
        qreal x = 0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const Glyph* glyph = glyphOf(text.at(i));
            if (!glyph)
                return false;
            if (i > 0)
                x += kerning(text.at(i - 1), text.at(i));
            m_indexes[i] = glyph->index;
            m_positions[i] = QPointF(x, 0);
            x += glyph->advance;
        }
        QGlyphRun run;
        run.setRawFont(m_raw);
        run.setGlyphIndexes(m_indexes);
        run.setPositions(m_positions);
        const qreal height = m_metrics.ascent() + m_metrics.descent();
        const qreal left = alignRight ? rect.right() - x : rect.left();
        const qreal baseline = rect.top() + (rect.height() - height) / 2 + m_metrics.ascent();
        painter.drawGlyphRun(QPointF(left, baseline), run);
        return true;
    }

private:
    struct Glyph
    {
        quint32 index = 0;
        qreal advance = 0;
    };

    const Glyph* glyphOf(QChar c)
    {
        const char16_t u = c.unicode();
        auto it = m_glyphs.constFind(u);
        if (it != m_glyphs.constEnd())
            return it->index ? &*it : nullptr;
        Glyph glyph;
        const bool plain =
            (u >= 0x20 && u < 0x250 && !(u >= 0x7f && u < 0xa0)) || (u >= 0x2010 && u < 0x2050);
        if (plain && !c.isMark() && m_raw.supportsCharacter(c)) {
            const QList<quint32> index = m_raw.glyphIndexesForString(QString(c));
            if (index.size() == 1 && index.first() != 0) {
                glyph.index = index.first();
                glyph.advance = m_raw.advancesForGlyphIndexes(index).value(0).x();
            }
        }
        it = m_glyphs.insert(u, glyph);
        return it->index ? &*it : nullptr;
    }

    // What the font moves a pair of letters closer or apart, as shaping
    // would: the pair laid out against its letters alone.
    qreal kerning(QChar a, QChar b)
    {
        const quint32 pair = quint32(a.unicode()) << 16 | b.unicode();
        auto it = m_kerning.constFind(pair);
        if (it == m_kerning.constEnd()) {
            const qreal apart = m_glyphs.value(a.unicode()).advance + m_glyphs.value(b.unicode()).advance;
            it = m_kerning.insert(pair, m_metrics.horizontalAdvance(QString(a) + b) - apart);
        }
        return *it;
    }

    QRawFont m_raw;
    QFontMetricsF m_metrics;
    QHash<char16_t, Glyph> m_glyphs;
    QHash<quint32, qreal> m_kerning;
    QList<quint32> m_indexes;
    QList<QPointF> m_positions;
};

DataReport::DataReport(std::shared_ptr<datFenwarda> env, const QString& name, const QString& command)
    : m_env(std::move(env)), m_name(name), m_command(command), m_stream(m_env->result(command))
{
}

DataReport::DataReport(std::shared_ptr<datFenwarda> env, const QString& name,
                       std::shared_ptr<ReportRows> rows)
    : m_env(std::move(env)), m_name(name), m_stream(std::move(rows))
{
}

LineReport::LineReport(std::shared_ptr<datFenwarda> env, const QString& name, const QString& command,
                       const QString& title, qreal titlePoints, qreal captionPoints,
                       const QList<Column>& columns)
    : DataReport(std::move(env), name, command)
{
    setColumns(title, titlePoints, captionPoints, columns);
}

LineReport::LineReport(std::shared_ptr<datFenwarda> env, const QString& name,
                       std::shared_ptr<ReportRows> rows, const QString& title, qreal titlePoints,
                       qreal captionPoints, const QList<Column>& columns)
    : DataReport(std::move(env), name, std::move(rows))
{
    setColumns(title, titlePoints, captionPoints, columns);
}

void LineReport::setColumns(const QString& title, qreal titlePoints, qreal captionPoints,
                            const QList<Column>& columns)
{
    QList<Caption> captions;
    for (const Column& c : columns) {
        captions.append({c.caption, c.x, c.width});
        m_fields.append({c.field, c.x, c.width});
    }
    setHeaders(title, titlePoints, captions, captionPoints);
}

qreal LineReport::groupHeight() const
{
    return lineHeight(FieldPoints);
}

void LineReport::addGroupItems(QList<Item>& out, int group, qreal top) const
{
    addFields(out, group, m_fields, top, FieldPoints);
}

DataReport::~DataReport()
{
    // The report's end closes its result: showing it again reads the tables again.
    m_stream.reset();
    if (!m_command.isEmpty())
        m_env->closeResult(m_command);
}

QString DataReport::windowTitle() const
{
    return QStringLiteral("Fenwarda - %1 (DataReport)").arg(m_name);
}

QPageLayout DataReport::pageLayout()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                       QMarginsF(Margin, Margin, Margin, Margin), QPageLayout::Point);
}

QSizeF DataReport::printableSize()
{
    return pageLayout().paintRectPoints().size();
}

void DataReport::setHeaders(const QString& title, qreal titlePoints, const QList<Caption>& captions,
                            qreal captionPoints)
{
    m_title = title;
    m_titlePoints = titlePoints;
    m_captions = captions;
    m_captionPoints = captionPoints;
}

qreal DataReport::lineHeight(qreal points)
{
    // Arial's ascent and descent take 1.12 em; the rest keeps lines apart.
    return points * 1.3;
}

void DataReport::setHeading(const QStringList& lines)
{
    m_heading = lines;
}

qreal DataReport::headingHeight() const
{
    qreal height = 0;
    for (qsizetype i = 0; i < m_heading.size(); ++i)
        height += lineHeight(i == 0 ? ShopNamePoints : ShopLinePoints);
    return height;
}

qreal DataReport::reportHeaderHeight(int page) const
{
    // The heading and title only on the first page; the page number on every page.
    return page == 0 ? headingHeight() + lineHeight(m_titlePoints) + 2 * HeaderGap
                     : lineHeight(PageNumberPoints) + HeaderGap;
}

qreal DataReport::pageHeaderHeight() const
{
    return lineHeight(m_captionPoints) + 2 * HeaderGap;
}

int DataReport::capacity(int page) const
{
    const qreal room = printableSize().height() - reportHeaderHeight(page) - pageHeaderHeight();
    return std::max(1, int(room / groupHeight()));
}

int DataReport::pagesFor(int groups) const
{
    const int first = capacity(0);
    if (groups <= first)
        return 1;
    const int rest = capacity(1);
    return 1 + (groups - first + rest - 1) / rest;
}

bool DataReport::isComplete() const
{
    return m_stream->complete();
}

bool DataReport::readFor(std::chrono::milliseconds budget)
{
    return m_stream->readFor(budget);
}

void DataReport::readTo(int page) const
{
    m_stream->readUntil(firstGroup(page) + capacity(page) + 1);
}

int DataReport::pagesKnown() const
{
    return pagesFor(m_stream->groupsKnown());
}

int DataReport::pageCount() const
{
    m_stream->readAll();
    return pagesFor(m_stream->groupsKnown());
}

int DataReport::totalGroups() const
{
    m_stream->readAll();
    return m_stream->groupsKnown();
}

int DataReport::firstGroup(int page) const
{
    return page == 0 ? 0 : capacity(0) + (page - 1) * capacity(1);
}

int DataReport::groupCount(int page) const
{
    readTo(page);
    return std::clamp(m_stream->groupsKnown() - firstGroup(page), 0, capacity(page));
}

void DataReport::loadKeys(int page) const
{
    const int first = firstGroup(page);
    const int count = groupCount(page);
    if (first == m_keysFirst && count == m_keys.size())
        return;
    m_keys = m_stream->keys(first, count);
    m_keysFirst = first;
}

QFont DataReport::font(qreal points, const QPaintDevice& device)
{
    // A font's point size becomes pixels of the device, which the painter
    // then scales again: size it so that one pixel is one point. Hinting
    // would bend the advances to each device's pixels.
    const qreal dpi = device.logicalDpiY();
    QFont f(QStringLiteral("Arial"));
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setPointSizeF(points * 72 / dpi);
    return f;
}

DataReport::Measure& DataReport::measure(qreal points) const
{
    auto it = m_measures.find(points);
    if (it == m_measures.end()) {
        // Any device measures alike (see font()); an image needs no screen.
        const QImage reference(1, 1, QImage::Format_Mono);
        it =
            m_measures.emplace(points, Measure{QFontMetricsF(font(points, reference), &reference), {}}).first;
    }
    return it->second;
}

qreal DataReport::Measure::atMost(const QString& text)
{
    qreal width = 0;
    for (QChar c : text) {
        if (c.isSurrogate())
            return std::numeric_limits<qreal>::infinity();
        auto it = advances.constFind(c.unicode());
        if (it == advances.constEnd())
            it = advances.insert(c.unicode(), metrics.horizontalAdvance(c));
        width += *it;
    }
    return width;
}

DataReport::Item DataReport::textItem(Band band, const QRectF& rect, const QString& text, qreal points,
                                      int group) const
{
    // One line only, and cut short with "…" where it would not fit, rather
    // than clipped at the box: a cut nobody sees on paper, and a PDF that
    // would still carry the hidden rest.
    QString line = text;
    line.replace(QChar('\n'), QChar(' ')).replace(QChar('\r'), QChar(' '));
    if (!line.isEmpty()) {
        Measure& m = measure(points);
        const qreal room = std::max<qreal>(0, rect.width() - TextGap);
        // Laying a text out costs much more than adding up its letters, and
        // most texts fit with room to spare.
        if (m.atMost(line) > room)
            line = m.metrics.elidedText(line, Qt::ElideRight, room);
    }
    Item item{band, rect, line, points};
    item.group = group;
    return item;
}

DataReport::Item DataReport::lineItem(Band band, qreal top, qreal left, qreal right, int group)
{
    Item item{band, QRectF(left, top, right - left, 0), QString(), 0};
    item.line = true;
    item.group = group;
    return item;
}

QString DataReport::groupValue(int group, const QString& column) const
{
    const qsizetype at = m_stream->by().indexOf(column);
    return at < 0 ? QString() : m_keys.at(group - m_keysFirst).at(at);
}

void DataReport::addFields(QList<Item>& out, int group, const QList<Field>& fields, qreal top,
                           qreal points) const
{
    const QStringList& key = m_keys.at(group - m_keysFirst);
    for (const Field& f : fields) {
        const qsizetype at = m_stream->by().indexOf(f.column);
        out.append(textItem(Band::GroupHeader, QRectF(f.x, top, f.width, lineHeight(points)),
                            at < 0 ? QString() : key.at(at), points, group));
    }
}

QList<DataReport::Item> DataReport::pageItems(int page) const
{
    QList<Item> out;
    const qreal width = printableSize().width();
    qreal top = 0;

    const qreal numberHeight = page == 0 ? lineHeight(m_titlePoints) : lineHeight(PageNumberPoints);
    if (page == 0) {
        for (qsizetype i = 0; i < m_heading.size(); ++i) {
            const qreal points = i == 0 ? ShopNamePoints : ShopLinePoints;
            out.append(textItem(Band::ReportHeader, QRectF(0, top, width, lineHeight(points)),
                                m_heading.at(i), points));
            top += lineHeight(points);
        }
        out.append(textItem(Band::ReportHeader, QRectF(0, top, width - PageNumberWidth, numberHeight),
                            m_title, m_titlePoints));
    }
    Item number =
        textItem(Band::ReportHeader, QRectF(width - PageNumberWidth, top, PageNumberWidth, numberHeight),
                 pageNumberText(page), PageNumberPoints);
    number.alignRight = true;
    out.append(number);
    if (page == 0)
        out.append(lineItem(Band::ReportHeader, top + numberHeight + HeaderGap, 0, width));
    top = reportHeaderHeight(page);

    const qreal captionHeight = lineHeight(m_captionPoints);
    for (const Caption& c : m_captions)
        out.append(
            textItem(Band::PageHeader, QRectF(c.x, top, c.width, captionHeight), c.text, m_captionPoints));
    out.append(lineItem(Band::PageHeader, top + captionHeight + HeaderGap, 0, width));
    top += pageHeaderHeight();

    loadKeys(page);
    const int first = firstGroup(page);
    const int count = int(m_keys.size());
    for (int i = 0; i < count; ++i)
        addGroupItems(out, first + i, top + i * groupHeight());
    return out;
}

DataReport::PlainText& DataReport::plainText(qreal points, const QPaintDevice& device) const
{
    const auto key = std::make_pair(points, device.logicalDpiY());
    auto it = m_plainTexts.find(key);
    if (it == m_plainTexts.end())
        it = m_plainTexts
                 .emplace(key, std::make_unique<PlainText>(QFont(font(points, device), &device), &device))
                 .first;
    return *it->second;
}

void DataReport::paintPage(QPainter& painter, int page) const
{
    qreal fontPoints = -1;
    PlainText* plain = nullptr;
    painter.setPen(QPen(Qt::black, 0.75));
    for (const Item& item : pageItems(page)) {
        if (item.line) {
            painter.drawLine(QLineF(item.rect.left(), item.rect.top(), item.rect.right(), item.rect.top()));
            continue;
        }
        if (item.text.isEmpty())
            continue;
        if (item.pointSize != fontPoints) {
            fontPoints = item.pointSize;
            painter.setFont(font(fontPoints, *painter.device()));
            plain = &plainText(fontPoints, *painter.device());
        }
        if (plain->draw(painter, item.rect, item.alignRight, item.text))
            continue;
        // Unclipped: the text was cut to fit its box already, and the gap at
        // its right takes up any rounding of another device.
        const int align = (item.alignRight ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
        painter.drawText(item.rect, align | Qt::TextSingleLine | Qt::TextDontClip, item.text);
    }
}

bool DataReport::render(QPagedPaintDevice& device, int first, int last,
                        const std::function<bool(int)>& pageDone) const
{
    const HeapKept heap;
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    const QSizeF paper = device.pageLayout().paintRectPoints().size();
    const QSizeF ours = printableSize();
    const qreal fit = std::min({1.0, paper.width() / ours.width(), paper.height() / ours.height()});
    const qreal toDevice = device.logicalDpiX() / 72.0;
    first = std::clamp(first, 0, pageCount() - 1);
    last = std::clamp(last, first, pageCount() - 1);
    for (int page = first; page <= last; ++page) {
        if (page != first && !device.newPage()) {
            painter.end();
            return false;
        }
        painter.resetTransform();
        painter.scale(toDevice * fit, toDevice * fit);
        paintPage(painter, page);
        if (pageDone && !pageDone(page - first + 1)) {
            painter.end();
            return false;
        }
    }
    return painter.end();
}
