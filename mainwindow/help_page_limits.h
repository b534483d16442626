// What a help page may cost the help window. Qt's rich-text reader and its
// layout spend far more than a page's size on some shapes of page: cells
// whose spans widen a table row after row, elements nested thousands deep,
// long lists, style sheets tried against every element and its ancestors,
// lines that cannot be broken, many pictures in one line, and anything
// inside nested tables, which the layout measures twice for each table
// around it. A page is checked twice: its tags before the reader builds
// anything, for what the reading costs, and the document the reader built
// before anything is laid out, for what the layout costs.
#pragma once
#include <QString>
#include <string>

class QTextDocument;

namespace sv {

// Each limit is far above what a page of help needs; together they keep the
// largest page they allow at about half a second and a hundred megabytes.

// Read from the page's tags:
// start and end tags;
constexpr int kMostPageTags = 20000;
// the depth of any element: every element's style is worked out along all
// of its ancestors;
constexpr int kMostNesting = 100;
// cells of all tables, as rows times columns, spans included;
constexpr long long kMostTableCells = 10000;
// items of one list: each new item renumbers the list;
constexpr int kMostListItems = 2000;
constexpr long long kMostPageText = 500000;
// lines of text kept as written, each a paragraph of its own;
constexpr int kMostLines = 20000;
constexpr int kMostPictures = 500;
constexpr long long kMostStyleAttributes = 500000;
// style sheet characters times the depths of the elements they are tried
// against.
constexpr long long kMostStyleWork = 20000000;

// Read from the document: tables nested deeper than this run the layout out
// of stack; a size, span or count beyond kLargestPageNumber takes it
// forever; a paragraph of more than kMostUnbrokenText characters with no
// space costs it the square of their number; and the paragraphs, cells,
// text and pictures inside tables count double for each table around them
// against kMostParagraphs and the limits above.
constexpr int kMostNestedTables = 8;
constexpr double kLargestPageNumber = 10000;
constexpr int kMostUnbrokenText = 10000;
constexpr long long kMostParagraphs = 50000;

// False, with the reason in problem, for a page beyond one of the limits
// read from its tags.
bool helpPageWithinLimits(const QString& page, std::string& problem);

// The same for the document Qt's reader made of a page, not yet laid out.
bool helpDocumentWithinLimits(QTextDocument& doc, std::string& problem);

} // namespace sv
