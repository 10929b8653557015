// Builds the user manual from its Markdown source with Qt alone:
//   kavrin-manual-pdf SOURCE.md IMAGE_DIR OUTPUT.pdf [PAGE_IMAGE_DIR]
// Every chapter (a level-1 heading) starts a new page; screenshots are scaled down to the text
// width; the paragraph "[contents]" becomes the list of chapters with their pages; every page
// after the first has a footer with its chapter and number. With PAGE_IMAGE_DIR the pages are
// also written as PNG images, to look at them.
#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr int Dpi = 150;           // the pages are laid out and painted at this resolution
constexpr double ScreenDpi = 96.0; // image widths in a document count pixels of such a screen
constexpr double ShotScale = 0.75; // screenshots a little smaller than on the screen
constexpr double MarginMm = 20.0;
constexpr double FooterMm = 10.0;
const QColor HeadingColour(0x1f, 0x3a, 0x5f);
const QColor RuleColour(0xa0, 0xa0, 0xa0);
const QString ContentsMarker = QStringLiteral("[contents]");

[[noreturn]] void fail(const QString& text) {
    std::fprintf(stderr, "kavrin-manual-pdf: %s\n", qUtf8Printable(text));
    std::exit(1);
}

double mmToPixels(double mm) {
    return mm / 25.4 * Dpi;
}

// Where text and footer go on a page, in pixels at Dpi.
struct PageGeometry {
    QSize paper;
    QRectF body;
    QRectF footer;
};

PageGeometry a4() {
    const QSize paper = QPageSize(QPageSize::A4).sizePixels(Dpi);
    const double margin = mmToPixels(MarginMm);
    const QRectF inner(margin, margin, paper.width() - 2 * margin, paper.height() - 2 * margin);
    const double footer = mmToPixels(FooterMm);
    return {paper, inner.adjusted(0, 0, 0, -footer),
            QRectF(inner.left(), inner.bottom() - footer * 0.6, inner.width(), footer * 0.6)};
}

struct Chapter {
    QString title;
    QTextBlock block;
    int page = 0; // from 1
};

std::vector<Chapter> chapters(const QTextDocument& document) {
    std::vector<Chapter> found;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        if (block.blockFormat().headingLevel() == 1)
            found.push_back({block.text(), block});
    return found;
}

bool isCode(const QTextBlock& block) {
    const QTextBlockFormat format = block.blockFormat();
    return format.hasProperty(QTextFormat::BlockCodeFence) || format.nonBreakableLines();
}

void styleBlocks(QTextDocument& document) {
    QTextCursor cursor(&document);
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        QTextBlockFormat format = block.blockFormat();
        const int level = format.headingLevel();
        if (level == 1 && block != document.begin())
            format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        if (level > 0) {
            format.setTopMargin(level == 1 ? 0 : 10);
            format.setBottomMargin(level == 1 ? 14 : 4);
        } else if (isCode(block)) {
            format.setBackground(QColor(0xf2, 0xf2, 0xf2));
            format.setLeftMargin(6);
        } else {
            format.setBottomMargin(5);
        }
        cursor.setPosition(block.position());
        cursor.setBlockFormat(format);
        if (level > 0) {
            cursor.setPosition(block.position() + block.length() - 1, QTextCursor::KeepAnchor);
            QTextCharFormat heading;
            heading.setForeground(HeadingColour);
            cursor.mergeCharFormat(heading);
        }
    }
}

void styleTables(QTextFrame* frame) {
    for (QTextFrame* child : frame->childFrames()) {
        if (auto* table = qobject_cast<QTextTable*>(child)) {
            QTextTableFormat format = table->format();
            format.setBorder(1.5);
            format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
            format.setBorderBrush(RuleColour);
            format.setBorderCollapse(true);
            format.setCellPadding(3);
            format.setCellSpacing(0);
            format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
            table->setFormat(format);
        }
        styleTables(child);
    }
}

// Screenshots at three quarters of their screen size, or the text width when wider.
void placeImages(QTextDocument& document, const QString& imageDir, double bodyWidth) {
    struct Placement {
        int position;
        int length;
        QTextImageFormat format;
    };
    std::vector<Placement> placements;
    const double widest = bodyWidth * ScreenDpi / Dpi; // image widths count screen pixels
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().isImageFormat())
                continue;
            QTextImageFormat format = fragment.charFormat().toImageFormat();
            const QString path = QDir(imageDir).filePath(format.name());
            const QImage image(path);
            if (image.isNull())
                fail(QStringLiteral("cannot read the image ") + path);
            document.addResource(QTextDocument::ImageResource, QUrl(format.name()), image);
            const double width = std::min<double>(image.width() * ShotScale, widest);
            format.setWidth(width);
            format.setHeight(width * image.height() / image.width());
            placements.push_back({fragment.position(), fragment.length(), format});
        }
    QTextCursor cursor(&document);
    for (const Placement& placement : placements) {
        cursor.setPosition(placement.position);
        cursor.setPosition(placement.position + placement.length, QTextCursor::KeepAnchor);
        cursor.setCharFormat(placement.format);
    }
}

// The "[contents]" paragraph becomes a table of the chapters after it; the page column is
// filled once the pages are known. Returns its cells for the page numbers, in chapter order.
std::vector<QTextTableCell> insertContents(QTextDocument& document, const std::vector<Chapter>& all,
                                           size_t& firstListed) {
    QTextCursor marker = document.find(ContentsMarker);
    if (marker.isNull())
        return {};
    firstListed = 0;
    while (firstListed < all.size() && all[firstListed].block.position() < marker.position())
        ++firstListed;
    marker.select(QTextCursor::BlockUnderCursor);
    marker.removeSelectedText();
    QTextTableFormat format;
    format.setBorder(0);
    format.setCellPadding(2);
    format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    format.setColumnWidthConstraints({QTextLength(QTextLength::PercentageLength, 90),
                                      QTextLength(QTextLength::PercentageLength, 10)});
    const int rows = int(all.size() - firstListed);
    QTextTable* table = marker.insertTable(rows, 2, format);
    std::vector<QTextTableCell> pageCells;
    for (int row = 0; row < rows; ++row) {
        table->cellAt(row, 0).firstCursorPosition().insertText(
            all[firstListed + size_t(row)].title);
        QTextTableCell page = table->cellAt(row, 1);
        QTextCursor cursor = page.firstCursorPosition();
        QTextBlockFormat right;
        right.setAlignment(Qt::AlignRight);
        cursor.setBlockFormat(right);
        cursor.insertText(QStringLiteral("000")); // as wide as any page number here
        pageCells.push_back(page);
    }
    return pageCells;
}

void paintPage(QPainter& painter, QTextDocument& document, const PageGeometry& geometry, int page,
               const QString& chapter) {
    const double height = geometry.body.height();
    painter.save();
    painter.translate(geometry.body.left(), geometry.body.top() - page * height);
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = QRectF(0, page * height, geometry.body.width(), height);
    painter.setClipRect(context.clip);
    document.documentLayout()->draw(&painter, context);
    painter.restore();
    if (page == 0)
        return;
    painter.save();
    painter.setPen(QPen(RuleColour, 1));
    painter.drawLine(geometry.footer.topLeft(), geometry.footer.topRight());
    QFont font = document.defaultFont();
    font.setPointSizeF(8);
    painter.setFont(font);
    painter.setPen(Qt::darkGray);
    const QRectF text = geometry.footer.adjusted(0, 4, 0, 0);
    painter.drawText(text, Qt::AlignLeft | Qt::AlignTop,
                     QStringLiteral("Norvan Kavrin V2.37a  -  ") + chapter);
    painter.drawText(text, Qt::AlignRight | Qt::AlignTop, QString::number(page + 1));
    painter.restore();
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 4 && argc != 5)
        fail(QStringLiteral("usage: kavrin-manual-pdf SOURCE.md IMAGE_DIR OUTPUT.pdf "
                            "[PAGE_IMAGE_DIR]"));
    const QString sourcePath = QString::fromLocal8Bit(argv[1]);
    const QString imageDir = QString::fromLocal8Bit(argv[2]);
    const QString outputPath = QString::fromLocal8Bit(argv[3]);
    QFile source(sourcePath);
    if (!source.open(QIODevice::ReadOnly | QIODevice::Text))
        fail(QStringLiteral("cannot read ") + sourcePath);

    const PageGeometry geometry = a4();
    if (!QDir().mkpath(QFileInfo(outputPath).absolutePath()))
        fail(QStringLiteral("cannot create the folder of ") + outputPath);
    QPdfWriter writer(outputPath);
    writer.setResolution(Dpi);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setTitle(QStringLiteral("Kavrin User Manual"));
    writer.setCreator(QStringLiteral("Norvan Kavrin V2.37a"));

    QTextDocument document;
    document.documentLayout()->setPaintDevice(&writer);
    QFont font;
    font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")});
    font.setPointSizeF(10);
    document.setDefaultFont(font);
    document.setDocumentMargin(0);
    document.setMarkdown(QString::fromUtf8(source.readAll()));
    styleBlocks(document);
    styleTables(document.rootFrame());
    placeImages(document, imageDir, geometry.body.width());

    std::vector<Chapter> all = chapters(document);
    if (all.empty())
        fail(sourcePath + QStringLiteral(" has no chapters"));
    size_t firstListed = 0;
    const std::vector<QTextTableCell> pageCells = insertContents(document, all, firstListed);
    document.setPageSize(geometry.body.size());
    const double pageHeight = geometry.body.height();
    for (Chapter& chapter : all) {
        // A page break puts the block at the very start of a page, give or take rounding.
        const double top = document.documentLayout()->blockBoundingRect(chapter.block).top();
        chapter.page = int(std::floor((top + 1) / pageHeight)) + 1;
    }
    for (size_t i = 0; i < pageCells.size(); ++i) {
        QTextCursor cursor = pageCells[i].firstCursorPosition();
        cursor.setPosition(pageCells[i].lastCursorPosition().position(), QTextCursor::KeepAnchor);
        cursor.insertText(QString::number(all[firstListed + i].page));
    }

    const int pages = document.pageCount();
    const QString pageImages = argc == 5 ? QString::fromLocal8Bit(argv[4]) : QString();
    if (!pageImages.isEmpty())
        QDir().mkpath(pageImages);
    QPainter pdf(&writer);
    size_t chapter = 0;
    for (int page = 0; page < pages; ++page) {
        while (chapter + 1 < all.size() && all[chapter + 1].page <= page + 1)
            ++chapter;
        if (page > 0)
            writer.newPage();
        paintPage(pdf, document, geometry, page, all[chapter].title);
        if (pageImages.isEmpty())
            continue;
        QImage image(geometry.paper, QImage::Format_RGB32);
        image.setDotsPerMeterX(int(Dpi / 0.0254));
        image.setDotsPerMeterY(int(Dpi / 0.0254));
        image.fill(Qt::white);
        QPainter painter(&image);
        paintPage(painter, document, geometry, page, all[chapter].title);
        painter.end();
        image.save(QStringLiteral("%1/page-%2.png")
                       .arg(pageImages)
                       .arg(page + 1, 3, 10, QLatin1Char('0')));
    }
    if (!pdf.end())
        fail(QStringLiteral("cannot write ") + outputPath);
    return 0;
}
