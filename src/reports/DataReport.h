#pragma once

#include <QFontMetricsF>
#include <QHash>
#include <QList>
#include <QPageLayout>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>
#include <map>
#include <memory>

class QPagedPaintDevice;
class QPaintDevice;
class QPainter;
class datFenwarda;
class ReportRows;

// A report laid out in bands on A4 pages: the report header (title, page
// number, line) on the first page, the page number and the page header
// (column captions, line) on every page, then one group header per group.
// Every group header of a report has the same height, so the page breaks
// follow from the count of groups and a group never splits across pages.
// The groups are read as the pages need them: the first page shows while
// the rest of the table is still to be read. Everything is measured in
// points from the top left of the printable area.
class DataReport
{
public:
    enum class Band { ReportHeader, PageHeader, GroupHeader };

    // One thing drawn on a page: a text in its box or a horizontal line
    // along the top of its box. A text too wide for its box is cut short
    // with "…", so what is drawn always fits.
    struct Item
    {
        Band band;
        QRectF rect;
        QString text; // as drawn; empty for a line
        qreal pointSize = 0;
        bool line = false;
        bool alignRight = false;
        int group = -1; // the group a group-header item belongs to
    };

    virtual ~DataReport();
    DataReport(const DataReport&) = delete;
    DataReport& operator=(const DataReport&) = delete;

    QString name() const { return m_name; }
    QString windowTitle() const;
    QString command() const { return m_command; }

    // A4 portrait with half-inch margins; the printable area in points.
    static QPageLayout pageLayout();
    static QSizeF printableSize();

    // Whether the whole table has been read, and so the page count is known.
    bool isComplete() const;
    // Reads on for about budget; true once the whole table has been read.
    // Throws StoreError.
    bool readFor(std::chrono::milliseconds budget);
    // Reads as far as the end of page (and one group past it, so that
    // whether another page follows is known). Throws StoreError.
    void readTo(int page) const;
    // The pages read so far, the last one perhaps not full yet.
    int pagesKnown() const;

    // The whole report's pages and groups: the rest of the table is read
    // first. Throws StoreError.
    int pageCount() const;
    int totalGroups() const;
    // The groups on a page (pages count from 0): [first, first + count).
    int firstGroup(int page) const;
    int groupCount(int page) const;

    // Lines above the title, on the first page: the shop's name, address
    // and phone. Set before any page is read, as they move the page breaks.
    void setHeading(const QStringList& lines);

    QList<Item> pageItems(int page) const;
    // Paints a page; the painter's units must be points.
    void paintPage(QPainter& painter, int page) const;
    // Paints pages first..last (from 0) on a printer or PDF writer, shrunk
    // to fit a smaller paper. After each page, pageDone (when given) learns
    // how many pages are done and may return false to stop there. False
    // when the device cannot be painted on or pageDone stopped it.
    bool render(QPagedPaintDevice& device, int first, int last,
                const std::function<bool(int)>& pageDone = {}) const;

    // The report's font at points on device, in a painter whose units are
    // points. The same advances on every device, so a text that fits its
    // box on screen fits it on paper.
    static QFont font(qreal points, const QPaintDevice& device);

protected:
    struct Caption
    {
        QString text;
        qreal x;
        qreal width;
    };
    struct Field
    {
        QString column;
        qreal x;
        qreal width;
    };

    // Opens (or reuses) the command's result in env. Throws StoreError.
    DataReport(std::shared_ptr<datFenwarda> env, const QString& name, const QString& command);
    // A report on rows of its own, read through env's connection.
    DataReport(std::shared_ptr<datFenwarda> env, const QString& name, std::shared_ptr<ReportRows> rows);

    void setHeaders(const QString& title, qreal titlePoints, const QList<Caption>& captions,
                    qreal captionPoints);
    // The height every group header of this report takes.
    virtual qreal groupHeight() const = 0;
    virtual void addGroupItems(QList<Item>& out, int group, qreal top) const = 0;

    static qreal lineHeight(qreal points);
    // A group's value of one of the grouping columns (the group is on a
    // page laid out now); empty for a column it is not grouped by.
    QString groupValue(int group, const QString& column) const;
    // The texts of a group on the page being laid out, in the order of the rows' by().
    const QStringList& keyOf(int group) const { return m_keys.at(group - m_keysFirst); }
    // One line of a group's fields, each in its box.
    void addFields(QList<Item>& out, int group, const QList<Field>& fields, qreal top, qreal points) const;
    Item textItem(Band band, const QRectF& rect, const QString& text, qreal points, int group = -1) const;
    static Item lineItem(Band band, qreal top, qreal left, qreal right, int group = -1);

private:
    qreal headingHeight() const;
    qreal reportHeaderHeight(int page) const;
    qreal pageHeaderHeight() const;
    int capacity(int page) const;
    int pagesFor(int groups) const;
    // The grouping values of the groups on page, read once per page shown.
    void loadKeys(int page) const;
    // Measures texts to fit their boxes, at one point size.
    struct Measure
    {
        QFontMetricsF metrics;
        QHash<char16_t, qreal> advances; // of single characters, as met
        // The sum of the characters' own advances: never less than the
        // text's width, as Arial's kerning (and its Liberation twin's) only
        // brings letters closer; infinite for characters outside the basic
        // plane, which this does not measure.
        qreal atMost(const QString& text);
    };
    Measure& measure(qreal points) const;
    class PlainText;
    // Draws the texts of one point size on devices of one resolution.
    PlainText& plainText(qreal points, const QPaintDevice& device) const;

    std::shared_ptr<datFenwarda> m_env;
    QString m_name;
    QString m_command;
    std::shared_ptr<ReportRows> m_stream;
    mutable int m_keysFirst = -1;
    mutable QList<QStringList> m_keys;
    QStringList m_heading;
    QString m_title;
    qreal m_titlePoints = 0;
    QList<Caption> m_captions;
    qreal m_captionPoints = 0;
    mutable std::map<qreal, Measure> m_measures;
    mutable std::map<std::pair<qreal, int>, std::unique_ptr<PlainText>> m_plainTexts;
};

// A report whose group header is one line of fields under their captions.
class LineReport : public DataReport
{
protected:
    struct Column
    {
        QString caption;
        QString field;
        qreal x;
        qreal width;
    };

    LineReport(std::shared_ptr<datFenwarda> env, const QString& name, const QString& command,
               const QString& title, qreal titlePoints, qreal captionPoints, const QList<Column>& columns);
    LineReport(std::shared_ptr<datFenwarda> env, const QString& name, std::shared_ptr<ReportRows> rows,
               const QString& title, qreal titlePoints, qreal captionPoints, const QList<Column>& columns);

    qreal groupHeight() const override;
    void addGroupItems(QList<Item>& out, int group, qreal top) const override;

private:
    void setColumns(const QString& title, qreal titlePoints, qreal captionPoints,
                    const QList<Column>& columns);

    QList<Field> m_fields;
};
