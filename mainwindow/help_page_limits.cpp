#include "mainwindow/help_page_limits.h"

#include <QChar>
#include <QLatin1StringView>
#include <QStringView>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLength>
#include <QTextTable>
#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <utility>
#include <vector>

namespace sv {

namespace {

// The scan of a page's tags follows Qt's rich-text reader step by step
// where the reader's choices decide which element holds which: an element
// closes the elements that may not hold it, a paragraph or list item closes
// the one before it, a lone cell or row gets a table of its own, an end tag
// closes the nearest open element of its name (or, after an element that
// holds nothing, the node that followed it), and an empty or blank text
// node is reused for the next node. White-space that style sheets set is
// not followed: it only decides whether a blank makes a node of its own,
// and the tag limit bounds what a page relying on that could do otherwise.
// What the layout will cost is read from the document the reader built.

// What an element does to the nesting; the reader's other elements are Known.
enum class El : unsigned char {
    Unknown, Known, P, Li, Ul, Ol, Dl, Dt, Dd, Table, Tr, Td, Th, Thead, Tbody, Tfoot, Caption, Body, Head,
    Img, Br, Hr, Meta, Pre, Nobr, Style
};
// How the reader shows an element: None is not shown, nor anything in it.
enum class Mode : unsigned char { Block, Inline, Table, None };
// White-space as the reader's elements set it.
enum class Space : unsigned char { Other, Pre, NoWrap, PreWrap };

struct Element {
    const char* name;
    El id;
    Mode mode;
};

const Element kElements[] = {
    {"a", El::Known, Mode::Inline},        {"address", El::Known, Mode::Inline}, {"b", El::Known, Mode::Inline},
    {"big", El::Known, Mode::Inline},      {"blockquote", El::Known, Mode::Block}, {"body", El::Body, Mode::Block},
    {"br", El::Br, Mode::Inline},          {"caption", El::Caption, Mode::Block}, {"center", El::Known, Mode::Block},
    {"cite", El::Known, Mode::Inline},     {"code", El::Known, Mode::Inline},    {"dd", El::Dd, Mode::Block},
    {"dfn", El::Known, Mode::Inline},      {"div", El::Known, Mode::Block},      {"dl", El::Dl, Mode::Block},
    {"dt", El::Dt, Mode::Block},           {"em", El::Known, Mode::Inline},      {"font", El::Known, Mode::Inline},
    {"h1", El::Known, Mode::Block},        {"h2", El::Known, Mode::Block},       {"h3", El::Known, Mode::Block},
    {"h4", El::Known, Mode::Block},        {"h5", El::Known, Mode::Block},       {"h6", El::Known, Mode::Block},
    {"head", El::Head, Mode::None},        {"hr", El::Hr, Mode::Block},          {"html", El::Known, Mode::Inline},
    {"i", El::Known, Mode::Inline},        {"img", El::Img, Mode::Inline},       {"kbd", El::Known, Mode::Inline},
    {"li", El::Li, Mode::Block},           {"link", El::Known, Mode::None},      {"meta", El::Meta, Mode::None},
    {"nobr", El::Nobr, Mode::Inline},      {"ol", El::Ol, Mode::Block},          {"p", El::P, Mode::Block},
    {"pre", El::Pre, Mode::Block},         {"qt", El::Body, Mode::Block},        {"s", El::Known, Mode::Inline},
    {"samp", El::Known, Mode::Inline},     {"script", El::Known, Mode::None},    {"small", El::Known, Mode::Inline},
    {"span", El::Known, Mode::Inline},     {"strong", El::Known, Mode::Inline},  {"style", El::Style, Mode::None},
    {"sub", El::Known, Mode::Inline},      {"sup", El::Known, Mode::Inline},     {"table", El::Table, Mode::Table},
    {"tbody", El::Tbody, Mode::Table},     {"td", El::Td, Mode::Block},          {"tfoot", El::Tfoot, Mode::Table},
    {"th", El::Th, Mode::Block},           {"thead", El::Thead, Mode::Table},    {"title", El::Known, Mode::None},
    {"tr", El::Tr, Mode::Table},           {"tt", El::Known, Mode::Inline},      {"u", El::Known, Mode::Inline},
    {"ul", El::Ul, Mode::Block},           {"var", El::Known, Mode::Inline},
};

const Element* knownElement(const QString& tag) {
    for (const Element& e : kElements)
        if (tag == QLatin1StringView(e.name)) return &e;
    return nullptr;
}

bool holdsNothing(El id) { return id == El::Img || id == El::Hr || id == El::Br || id == El::Meta; }

bool allowedIn(El id, El parent) {
    switch (id) {
    case El::Dd:
    case El::Dt: return parent == El::Dl;
    case El::Tr: return parent == El::Table || parent == El::Thead || parent == El::Tbody || parent == El::Tfoot;
    case El::Th:
    case El::Td: return parent == El::Tr;
    case El::Thead:
    case El::Tbody:
    case El::Tfoot:
    case El::Caption: return parent == El::Table;
    case El::Body: return parent != El::Head;
    default: return true;
    }
}

bool keepsNewlines(Space s) { return s == Space::Pre || s == Space::PreWrap; }

std::string holdsMore(long long most, const char* what) {
    return "it holds more than " + std::to_string(most) + " " + what;
}

// False, with the reason, at the first limit a page is beyond.
bool withinAll(std::initializer_list<std::pair<bool, std::string>> limits, std::string& problem) {
    for (const auto& [beyond, why] : limits) {
        if (!beyond) continue;
        problem = why;
        return false;
    }
    return true;
}

// Numbered entities 0x80-0x9F stand for the Windows Latin-1 characters.
const char16_t kWindowsLatin1[32] = {
    0x20ac, 0x0081, 0x201a, 0x0192, 0x201e, 0x2026, 0x2020, 0x2021, 0x02c6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008d, 0x017d, 0x008f, 0x0090, 0x2018, 0x2019, 0x201c, 0x201d, 0x2022,
    0x2013, 0x2014, 0x02dc, 0x2122, 0x0161, 0x203a, 0x0153, 0x009d, 0x017e, 0x0178,
};

struct Node {
    QString tag;   // lower-cased name; empty for text
    int parent = 0;
    int depth = 0;   // steps up to the document
    El id = El::Unknown;
    Mode mode = Mode::Inline;
    Space space = Space::Other;
    int rowSpan = 1;
    int colSpan = 1;
    int list = 0;    // the nearest list around the node, if any
    // Paragraphs of a list: its items, and the line ends of its text where
    // the reader keeps them (or, with style sheets, anywhere).
    int items = 0;
    int itemsWithNewlines = 0;
    // The node's text as far as the reader's choices depend on it.
    qsizetype textLength = 0;
    QChar firstChar;
    QChar lastChar;
    std::vector<int> children;   // the elements placed in it
};

class PageScan {
public:
    explicit PageScan(const QString& page);
    bool read();   // false at once for too many tags, too deep, or a name it cannot read
    bool measure();
    std::string problem;

private:
    int lastIndex() const { return int(nodes_.size()) - 1; }
    bool hasPrefix(QChar c, qsizetype ahead = 0) const { return pos_ + ahead < len_ && txt_.at(pos_ + ahead) == c; }
    void eatSpace();
    void append(QChar c);
    void append(const QString& s) {
        for (QChar c : s) append(c);
    }
    QString readEntity();
    QString readWord();
    bool readTagName(QString& name);
    std::vector<std::pair<QString, QString>> readAttributes();
    bool readTag();
    bool readStartTag();
    bool readEndTag();
    int newNode(int parent);
    int resolveParent();
    bool resolveNode(int i);
    bool countTag();
    int listAround(int parent) const {
        const Node& p = nodes_[parent];
        return p.id == El::Ul || p.id == El::Ol ? parent : p.list;
    }
    void measureTables();

    QString txt_;
    qsizetype pos_ = 0;
    qsizetype len_ = 0;
    std::vector<Node> nodes_;
    bool textEditMode_ = false;
    bool namedEntity_ = false;   // readWord met an entity named in letters

    long long tags_ = 0;
    long long depthSum_ = 0;
    long long styleText_ = 0;
    long long styleAttributes_ = 0;
    long long text_ = 0;
    long long keptNewlines_ = 0;   // where the reader keeps them as line ends
    long long newlines_ = 0;       // all of the text that is shown
    long long paragraphMarks_ = 0;
    long long pictures_ = 0;
    long long cells_ = 0;
};

PageScan::PageScan(const QString& page) : txt_(page) {
    // The reader takes only the fragment a copied selection marks.
    const qsizetype start = txt_.indexOf(QLatin1StringView("<!--StartFragment-->"));
    if (start != -1) {
        const QLatin1StringView richText("<meta name=\"qrichtext\" content=\"1\" />");
        const bool hasRichText = txt_.contains(richText);
        const qsizetype end = txt_.indexOf(QLatin1StringView("<!--EndFragment-->"));
        txt_ = start < end ? txt_.mid(start, end - start) : txt_.mid(start);
        if (hasRichText) txt_.prepend(richText);
    }
    len_ = txt_.size();
    nodes_.emplace_back();
}

void PageScan::eatSpace() {
    while (pos_ < len_ && txt_.at(pos_).isSpace() && txt_.at(pos_) != QChar::ParagraphSeparator) ++pos_;
}

void PageScan::append(QChar c) {
    Node& n = nodes_.back();
    if (n.textLength == 0) n.firstChar = c;
    n.lastChar = c;
    ++n.textLength;
    ++text_;
    if (n.id == El::Style) ++styleText_;
    if (n.mode == Mode::None) return;
    Node& list = nodes_[n.list];
    if (c == QChar::ParagraphSeparator) {
        ++paragraphMarks_;
        ++list.items;
        ++list.itemsWithNewlines;
    }
    if (c != u'\n') return;
    ++newlines_;
    ++list.itemsWithNewlines;
    if (keepsNewlines(n.space) && !textEditMode_) {
        ++keptNewlines_;
        ++list.items;
    }
}

QString PageScan::readEntity() {
    const qsizetype recover = pos_;
    qsizetype length = 0;
    bool broken = false;
    while (pos_ < len_) {
        const QChar c = txt_.at(pos_++);
        if (c.isSpace() || pos_ - recover > 9) {
            broken = true;
            break;
        }
        if (c == u';') break;
        ++length;
    }
    if (!broken && length) {
        QStringView entity = QStringView(txt_).mid(recover, length);
        if (entity.at(0) == u'#') {
            if (entity.size() == 1) {
                pos_ = recover;
                return QStringLiteral("&");
            }
            entity = entity.mid(1);
            int base = 10;
            if (entity.at(0).toLower() == u'x') {
                entity = entity.mid(1);
                base = 16;
            }
            bool ok = false;
            uint code = entity.toUInt(&ok, base);
            if (ok) {
                if (code >= 0x80 && code < 0xA0) code = kWindowsLatin1[code - 0x80];
                return QStringView(QChar::fromUcs4(code)).toString();
            }
        } else {
            // Of the entities named in letters only the blanks matter here:
            // any other one stands for one character that is neither blank
            // nor part of a number, as its own letters are.
            namedEntity_ = true;
            static const std::pair<const char*, char16_t> blanks[] = {
                {"nbsp", 0x00a0}, {"ensp", 0x2002}, {"emsp", 0x2003}, {"thinsp", 0x2009}};
            for (const auto& [name, code] : blanks)
                if (entity == QLatin1StringView(name)) return QString(QChar(code));
        }
    }
    pos_ = recover;
    return QStringLiteral("&");
}

QString PageScan::readWord() {
    QString word;
    if (hasPrefix(u'"')) {
        ++pos_;
        while (pos_ < len_) {
            const QChar c = txt_.at(pos_++);
            if (c == u'"') break;
            if (c == u'&') word += readEntity();
            else word += c;
        }
    } else if (hasPrefix(u'\'')) {
        ++pos_;
        while (pos_ < len_) {
            const QChar c = txt_.at(pos_++);
            if (c == u'\'' && txt_.size() > 1 && txt_.at(pos_ - 2) != u'\\') break;
            word += c;
        }
    } else {
        while (pos_ < len_) {
            const QChar c = txt_.at(pos_++);
            if (c == u'>' || (c == u'/' && hasPrefix(u'>')) || c == u'<' || c == u'=' || c.isSpace()) {
                --pos_;
                break;
            }
            if (c == u'&') word += readEntity();
            else word += c;
        }
    }
    return word;
}

// A tag's name, lower-cased. False for a name that spells a character by
// a named entity: which entity names the reader knows decides which end
// tag closes which element, and the scan does not carry the reader's list.
bool PageScan::readTagName(QString& name) {
    namedEntity_ = false;
    name = readWord().toLower();
    if (!namedEntity_) return true;
    problem = "a tag's name spells a character by an entity";
    return false;
}

std::vector<std::pair<QString, QString>> PageScan::readAttributes() {
    std::vector<std::pair<QString, QString>> attributes;
    while (pos_ < len_) {
        eatSpace();
        if (hasPrefix(u'>') || hasPrefix(u'/')) break;
        QString key = readWord().toLower();
        QString value = QStringLiteral("1");
        if (key.isEmpty()) break;
        eatSpace();
        if (hasPrefix(u'=')) {
            ++pos_;
            eatSpace();
            value = readWord();
        }
        if (value.isEmpty()) continue;
        attributes.emplace_back(std::move(key), std::move(value));
    }
    return attributes;
}

// The last node, when it is a text node with nothing in it (or a single
// blank after a block), becomes the next node, its blank dropped.
int PageScan::newNode(int parent) {
    Node& last = nodes_.back();
    bool reuse = false;
    if (nodes_.size() > 1 && last.tag.isEmpty()) {
        if (last.textLength == 0) {
            reuse = true;
        } else if (last.textLength == 1 && last.firstChar.isSpace()) {
            int sibling = lastIndex() - 1;
            while (sibling && nodes_[sibling].parent != last.parent && nodes_[sibling].mode == Mode::Inline)
                sibling = nodes_[sibling].parent;
            reuse = nodes_[sibling].mode != Mode::Inline;
        }
    }
    if (reuse) {
        last.tag.clear();
        last.textLength = 0;
        last.id = El::Unknown;
    } else {
        nodes_.emplace_back();
    }
    nodes_.back().parent = parent;
    return lastIndex();
}

int PageScan::resolveParent() {
    int node = lastIndex();
    const El id = nodes_[node].id;
    int p = nodes_[node].parent;
    // The reader makes these without any of what an element inherits.
    auto insertBefore = [&](El made, const char* tag, int parent) {
        Node n;
        n.id = made;
        n.tag = QLatin1StringView(tag);
        n.parent = parent;
        n.depth = nodes_[parent].depth + 1;
        n.list = listAround(parent);
        nodes_.insert(nodes_.end() - 1, std::move(n));
        return ++node - 1;
    };
    if (id == El::Td) {
        int n = p;
        while (n && nodes_[n].id != El::Tr) n = nodes_[n].parent;
        if (!n) {
            const int table = insertBefore(El::Table, "table", p);
            const int row = insertBefore(El::Tr, "tr", table);
            nodes_[table].children.push_back(row);
            p = row;
        }
    }
    if (id == El::Tr) {
        int n = p;
        while (n && nodes_[n].id != El::Table) n = nodes_[n].parent;
        if (!n) p = insertBefore(El::Table, "table", p);
    }
    if (id == El::P) {
        while (p && nodes_[p].mode != Mode::Block) p = nodes_[p].parent;
        if (!p || nodes_[p].id != El::P) p = nodes_[node].parent;
    }
    if (id == nodes_[p].id && (id == El::P || id == El::Li)) p = nodes_[p].parent;
    while ((p && !allowedIn(id, nodes_[p].id)) || holdsNothing(nodes_[p].id)) p = nodes_[p].parent;
    nodes_[node].parent = p;
    nodes_[p].children.push_back(node);
    return node;
}

// A node takes what it inherits from the element now holding it. False
// for one nested deeper than a page may nest.
bool PageScan::resolveNode(int i) {
    Node& n = nodes_[i];
    const Node& parent = nodes_[n.parent];
    if (parent.mode == Mode::None) n.mode = Mode::None;
    n.space = parent.space;
    n.depth = parent.depth + 1;
    n.list = listAround(n.parent);
    if (n.depth <= kMostNesting) return true;
    problem = "its elements are nested more than " + std::to_string(kMostNesting) + " deep";
    return false;
}

bool PageScan::countTag() {
    if (++tags_ <= kMostPageTags) return true;
    problem = holdsMore(kMostPageTags, "tags");
    return false;
}

bool PageScan::readTag() {
    eatSpace();
    if (hasPrefix(u'!')) {
        ++pos_;
        if (hasPrefix(u'-') && hasPrefix(u'-', 1)) {
            pos_ += 2;
            const qsizetype end = txt_.indexOf(QLatin1StringView("-->"), pos_);
            pos_ = end >= 0 ? end + 3 : len_;
        } else {
            while (pos_ < len_ && txt_.at(pos_++) != u'>') {
            }
        }
        const Space s = nodes_.back().space;
        if (s != Space::Pre && s != Space::PreWrap && !textEditMode_) eatSpace();
        return true;
    }
    return hasPrefix(u'/') ? readEndTag() : readStartTag();
}

bool PageScan::readStartTag() {
    int p = lastIndex();
    while (p && nodes_[p].tag.isEmpty()) p = nodes_[p].parent;
    int node = newNode(p);
    QString name;
    if (!readTagName(name)) return false;
    if (const Element* e = knownElement(name)) {
        nodes_[node].id = e->id;
        nodes_[node].mode = e->mode;
    }
    nodes_[node].tag = std::move(name);
    std::vector<std::pair<QString, QString>> attributes;
    if (pos_ < len_ && txt_.at(pos_).isSpace()) attributes = readAttributes();

    node = resolveParent();
    if (!resolveNode(node)) return false;
    Node& n = nodes_[node];
    if (n.id == El::Pre) n.space = Space::Pre;
    else if (n.id == El::Nobr) n.space = Space::NoWrap;
    else if (n.id == El::Br) n.space = Space::PreWrap;

    bool richTextMeta = false;
    for (const auto& [key, value] : attributes) {
        bool ok = false;
        if ((n.id == El::Td || n.id == El::Th) && (key == u"rowspan" || key == u"colspan")) {
            const int v = value.toInt(&ok);
            if (ok && key == u"rowspan") n.rowSpan = std::max(1, v);
            else if (ok) n.colSpan = std::clamp(v, 1, 20480);
        } else if (n.id == El::Meta) {
            if (key == u"name" && value == u"qrichtext") richTextMeta = true;
            if (key == u"content" && value == u"1" && richTextMeta) textEditMode_ = true;
        }
        if (key == u"style") styleAttributes_ += value.size();
    }

    bool closed = false;
    while (pos_ < len_ && txt_.at(pos_) != u'>') {
        if (txt_.at(pos_) == u'/') closed = true;
        ++pos_;
    }
    ++pos_;
    if (keepsNewlines(n.space) && n.mode == Mode::Block && pos_ < len_ - 1 && txt_.at(pos_) == u'\n') ++pos_;

    if (!countTag()) return false;
    depthSum_ += n.depth;
    if (n.id == El::Img) ++pictures_;
    if (n.id == El::Li) {
        ++nodes_[n.list].items;
        ++nodes_[n.list].itemsWithNewlines;
    }
    if (holdsNothing(n.id) || closed) return resolveNode(newNode(n.parent));
    return true;
}

bool PageScan::readEndTag() {
    ++pos_;
    QString name;
    if (!readTagName(name)) return false;
    name = name.trimmed();
    while (pos_ < len_ && txt_.at(pos_++) != u'>') {
    }
    if (!countTag()) return false;
    // Right after an element of this name that holds nothing (the node
    // before the last), the end tag closes back to where that element
    // stood, whatever opened or closed since.
    int p = lastIndex();
    if (p > 0 && nodes_[p - 1].tag == name && holdsNothing(nodes_[p - 1].id)) --p;
    while (p && nodes_[p].tag != name) p = nodes_[p].parent;
    if (!p) return true;
    Node& last = nodes_.back();
    if (keepsNewlines(nodes_[p].space) && nodes_[p].mode == Mode::Block && last.textLength > 0 &&
        last.lastChar == u'\n')
        --last.textLength;
    return resolveNode(newNode(nodes_[p].parent));
}

bool PageScan::read() {
    while (pos_ < len_) {
        const QChar c = txt_.at(pos_++);
        if (c == u'<') {
            if (!readTag()) return false;
        } else if (c == u'&') {
            append(readEntity());
        } else {
            append(c);
        }
    }
    return true;
}

// Each table has as many rows as row elements and as many columns as its
// widest row, counting the columns that cells of rows above still span;
// the reader makes rows times columns cells of it. A table past the limit
// is not counted further.
void PageScan::measureTables() {
    struct Span {
        long long row, col, rowSpan, colSpan;
    };
    for (const Node& table : nodes_) {
        if (table.id != El::Table) continue;
        std::vector<int> rows;
        for (int child : table.children) {
            const Node& c = nodes_[child];
            if (c.id == El::Tr) rows.push_back(child);
            if (c.id == El::Thead || c.id == El::Tbody || c.id == El::Tfoot)
                for (int row : c.children)
                    if (nodes_[row].id == El::Tr) rows.push_back(row);
        }
        const long long rowCount = static_cast<long long>(rows.size());
        const long long most = rowCount ? kMostTableCells / rowCount + 1 : 0;
        std::vector<Span> spanOfColumn;
        long long columns = 0;
        for (long long r = 0; r < rowCount && columns <= most; ++r) {
            long long col = 0;
            for (int cell : nodes_[rows[r]].children) {
                const Node& c = nodes_[cell];
                if (c.id != El::Td && c.id != El::Th) continue;
                while (col < static_cast<long long>(spanOfColumn.size())) {
                    const Span& s = spanOfColumn[col];
                    if (s.row + s.rowSpan <= r) break;
                    col += s.colSpan;
                }
                const Span span{r, col, c.rowSpan, c.colSpan};
                col += c.colSpan;
                columns = std::max(columns, col);
                if (columns > most) break;
                if (static_cast<long long>(spanOfColumn.size()) < col) spanOfColumn.resize(col);
                std::fill(spanOfColumn.begin() + span.col, spanOfColumn.begin() + col, span);
            }
        }
        cells_ += rowCount * columns;
    }
}

bool PageScan::measure() {
    measureTables();
    // Style sheets can keep any newline.
    const bool styled = styleText_ + styleAttributes_ > 0;
    const long long lines = (styled ? newlines_ : keptNewlines_) + paragraphMarks_;
    int longestList = 0;
    for (auto n = nodes_.begin() + 1; n != nodes_.end(); ++n)
        longestList = std::max(longestList, styled ? n->itemsWithNewlines : n->items);
    return withinAll({
        {cells_ > kMostTableCells, holdsMore(kMostTableCells, "table cells")},
        {longestList > kMostListItems, "a list of it holds more than " + std::to_string(kMostListItems) + " items"},
        {text_ > kMostPageText, holdsMore(kMostPageText, "characters of text")},
        {lines > kMostLines, holdsMore(kMostLines, "lines")},
        {pictures_ > kMostPictures, holdsMore(kMostPictures, "pictures")},
        {styleAttributes_ > kMostStyleAttributes, holdsMore(kMostStyleAttributes, "characters of style attributes")},
        // Going up one element costs about as much as trying three characters
        // of style sheet there.
        {depthSum_ * (3 + styleText_) > kMostStyleWork, "its style sheets are too large for the elements they apply to"},
    }, problem);
}

// The layout's work on a document, with what lies inside tables counted
// double for each table around it.
struct LayoutWork {
    int deepestFrame = 0;
    bool numbersFit = true;
    long long paragraphs = 0, paragraphsWeighted = 0;
    long long cells = 0, cellsWeighted = 0;
    long long text = 0, textWeighted = 0;
    long long pictures = 0, picturesWeighted = 0;
    int longestUnbroken = 0;
};

bool withinPageNumbers(double d) { return std::fabs(d) <= kLargestPageNumber; }   // false for NaN too

// Numbers of a text format's property: sizes, spans, counts and indents.
bool withinPageNumbers(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Float:
    case QMetaType::Double: return withinPageNumbers(v.toDouble());
    default: break;
    }
    if (v.userType() == qMetaTypeId<QTextLength>()) return withinPageNumbers(v.value<QTextLength>().rawValue());
    if (v.userType() == qMetaTypeId<QList<QTextLength>>()) {
        for (const QTextLength& l : v.value<QList<QTextLength>>())
            if (!withinPageNumbers(l.rawValue())) return false;
    }
    return true;
}

void measureParagraph(const QTextBlock& block, int tables, LayoutWork& work) {
    const long long weight = 1LL << tables;
    ++work.paragraphs;
    work.paragraphsWeighted += weight;
    work.text += block.length();
    work.textWeighted += block.length() * weight;
    for (auto it = block.begin(); !it.atEnd(); ++it)
        if (it.fragment().charFormat().isImageFormat()) {
            work.pictures += it.fragment().length();
            work.picturesWeighted += it.fragment().length() * weight;
        }
    // A paragraph kept on one line is not broken at all.
    if (block.blockFormat().nonBreakableLines()) return;
    int unbroken = 0;
    for (QChar c : block.text()) {
        unbroken = c == u' ' || c == u'\t' || c == QChar::LineSeparator ? 0 : unbroken + 1;
        work.longestUnbroken = std::max(work.longestUnbroken, unbroken);
    }
}

// tables: those around the frame; depth: frames around it.
void measureFrame(QTextFrame* frame, int tables, int depth, LayoutWork& work) {
    work.deepestFrame = std::max(work.deepestFrame, depth);
    for (auto it = frame->begin(); !it.atEnd(); ++it) {
        if (QTextFrame* child = it.currentFrame()) {
            auto* table = qobject_cast<QTextTable*>(child);
            if (table) {
                const long long cells = static_cast<long long>(table->rows()) * table->columns();
                work.cells += cells;
                work.cellsWeighted += cells << tables;
            }
            if (depth < kMostNestedTables) measureFrame(child, tables + (table ? 1 : 0), depth + 1, work);
            else work.deepestFrame = depth + 1;
        } else {
            measureParagraph(it.currentBlock(), tables, work);
        }
    }
}

} // namespace

bool helpPageWithinLimits(const QString& page, std::string& problem) {
    PageScan scan(page);
    if (scan.read() && scan.measure()) return true;
    problem = scan.problem;
    return false;
}

bool helpDocumentWithinLimits(QTextDocument& doc, std::string& problem) {
    LayoutWork work;
    measureFrame(doc.rootFrame(), 0, 0, work);
    for (const QTextFormat& format : doc.allFormats()) {
        const QMap<int, QVariant> properties = format.properties();
        for (auto it = properties.begin(); it != properties.end() && work.numbersFit; ++it)
            work.numbersFit = it.key() == QTextFormat::ObjectIndex || withinPageNumbers(it.value());
    }
    // Inside tables, what passes on its own may not pass counted double.
    return withinAll({
        {work.deepestFrame > kMostNestedTables,
         "its tables are nested more than " + std::to_string(kMostNestedTables) + " deep"},
        {!work.numbersFit, "it holds a size, span or count over " + std::to_string(int(kLargestPageNumber))},
        {work.longestUnbroken > kMostUnbrokenText,
         "it has more than " + std::to_string(kMostUnbrokenText) + " characters in a row with no space to break the line at"},
        {work.paragraphs > kMostParagraphs, holdsMore(kMostParagraphs, "paragraphs")},
        {work.cells > kMostTableCells, holdsMore(kMostTableCells, "table cells")},
        {work.text > kMostPageText, holdsMore(kMostPageText, "characters of text")},
        {work.pictures > kMostPictures, holdsMore(kMostPictures, "pictures")},
        {work.paragraphsWeighted > kMostParagraphs || work.cellsWeighted > kMostTableCells ||
             work.textWeighted > kMostPageText || work.picturesWeighted > kMostPictures,
         "its tables are nested too deep for what they hold"},
    }, problem);
}

} // namespace sv
