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
#include <climits>
#include <cmath>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <utility>
#include <vector>

namespace sv {

namespace {

// The scan of a page's tags follows Qt's rich-text reader step by step
// where the reader's choices decide which element holds which: an element
// closes the elements that may not hold it, a paragraph or list item closes
// the one before it, a lone cell or row gets a table of its own, an end tag
// closes the nearest open element of its name (or, right after an element
// of its name that holds nothing, all that opened since), and an empty or
// blank text node is reused for the next node. White-space that style
// sheets set is not followed: it only decides whether a blank makes a node
// of its own, and the tag limit bounds what a page relying on that could do
// otherwise; on a page with style sheets every newline counts as kept.
// What the layout will cost is read from the document the reader built.

// What an element does to the nesting; the reader's other elements are Known.
enum class El : unsigned char {
    Unknown, Known, P, Li, Ul, Ol, Dl, Dt, Dd, Table, Tr, Td, Th, Thead, Tbody, Tfoot, Caption, Body, Head,
    Img, Br, Hr, Meta, Pre, Style
};
// How the reader shows an element: None is not shown, nor anything in it.
enum class Mode : unsigned char { Block, Inline, Table, None };
// White-space as the reader's elements set it.
enum class Space : unsigned char { Other, Pre, PreWrap };

struct Element {
    QLatin1StringView name;
    El id;
    Mode mode;
};

// By name, in order.
using L = QLatin1StringView;
const Element kElements[] = {
    {L("a"), El::Known, Mode::Inline}, {L("address"), El::Known, Mode::Inline},
    {L("b"), El::Known, Mode::Inline}, {L("big"), El::Known, Mode::Inline},
    {L("blockquote"), El::Known, Mode::Block}, {L("body"), El::Body, Mode::Block},
    {L("br"), El::Br, Mode::Inline}, {L("caption"), El::Caption, Mode::Block},
    {L("center"), El::Known, Mode::Block}, {L("cite"), El::Known, Mode::Inline},
    {L("code"), El::Known, Mode::Inline}, {L("dd"), El::Dd, Mode::Block}, {L("dfn"), El::Known, Mode::Inline},
    {L("div"), El::Known, Mode::Block}, {L("dl"), El::Dl, Mode::Block}, {L("dt"), El::Dt, Mode::Block},
    {L("em"), El::Known, Mode::Inline}, {L("font"), El::Known, Mode::Inline}, {L("h1"), El::Known, Mode::Block},
    {L("h2"), El::Known, Mode::Block}, {L("h3"), El::Known, Mode::Block}, {L("h4"), El::Known, Mode::Block},
    {L("h5"), El::Known, Mode::Block}, {L("h6"), El::Known, Mode::Block}, {L("head"), El::Head, Mode::None},
    {L("hr"), El::Hr, Mode::Block}, {L("html"), El::Known, Mode::Inline}, {L("i"), El::Known, Mode::Inline},
    {L("img"), El::Img, Mode::Inline}, {L("kbd"), El::Known, Mode::Inline}, {L("li"), El::Li, Mode::Block},
    {L("link"), El::Known, Mode::None}, {L("meta"), El::Meta, Mode::None}, {L("nobr"), El::Known, Mode::Inline},
    {L("ol"), El::Ol, Mode::Block}, {L("p"), El::P, Mode::Block}, {L("pre"), El::Pre, Mode::Block},
    {L("qt"), El::Body, Mode::Block}, {L("s"), El::Known, Mode::Inline}, {L("samp"), El::Known, Mode::Inline},
    {L("script"), El::Known, Mode::None}, {L("small"), El::Known, Mode::Inline},
    {L("span"), El::Known, Mode::Inline}, {L("strong"), El::Known, Mode::Inline},
    {L("style"), El::Style, Mode::None}, {L("sub"), El::Known, Mode::Inline},
    {L("sup"), El::Known, Mode::Inline}, {L("table"), El::Table, Mode::Table},
    {L("tbody"), El::Tbody, Mode::Table}, {L("td"), El::Td, Mode::Block}, {L("tfoot"), El::Tfoot, Mode::Table},
    {L("th"), El::Th, Mode::Block}, {L("thead"), El::Thead, Mode::Table}, {L("title"), El::Known, Mode::None},
    {L("tr"), El::Tr, Mode::Table}, {L("tt"), El::Known, Mode::Inline}, {L("u"), El::Known, Mode::Inline},
    {L("ul"), El::Ul, Mode::Block}, {L("var"), El::Known, Mode::Inline},
};

const Element* knownElement(const QString& tag) {
    const auto e = std::lower_bound(std::begin(kElements), std::end(kElements), tag,
                                    [](const Element& a, const QString& b) { return QString::compare(a.name, b) < 0; });
    return e != std::end(kElements) && e->name == tag ? e : nullptr;
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

// A table, or a part of one that holds rows.
bool holdsRows(El id) { return id == El::Table || id == El::Thead || id == El::Tbody || id == El::Tfoot; }

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
    // Its name, lower-cased: one the reader knows, another, or none (text).
    const Element* element = nullptr;
    QString otherTag;
    int parent = 0;
    int depth = 0;   // steps up to the document
    El id = El::Unknown;
    Mode mode = Mode::Inline;
    Space space = Space::Other;
    int rowSpan = 1;
    int colSpan = 1;
    int list = 0;    // the nearest list around the node, if any
    int items = 0;   // of a list
    // The node's text as far as the reader's choices depend on it.
    qsizetype textLength = 0;
    QChar firstChar;
    QChar lastChar;
    std::vector<int> children;   // the elements placed in a table, its parts and rows
};

bool hasTag(const Node& n) { return n.element || !n.otherTag.isEmpty(); }
bool named(const Node& n, const QString& tag) { return n.element ? tag == n.element->name : tag == n.otherTag; }

class PageScan {
public:
    explicit PageScan(const QString& page);
    bool read();   // false at once for too many tags, too deep, or a name it cannot read
    bool measure();
    std::string problem;

private:
    int lastIndex() const { return int(nodes_.size()) - 1; }
    bool hasPrefix(QChar c, qsizetype ahead = 0) const { return pos_ + ahead < len_ && at(pos_ + ahead) == c; }
    QChar at(qsizetype i) const { return page_.data()[i]; }
    QStringView view(qsizetype from, qsizetype to) const { return QStringView(page_.data() + from, to - from); }
    // Where c next stands from pos_ on, or len_.
    qsizetype next(QChar c) const {
        const qsizetype i = page_.indexOf(c, pos_);
        return i < 0 ? len_ : i;
    }
    void eatSpace();
    void append(QStringView text);
    QString readEntity();
    void readWord(QString& word);
    bool readTagName();
    void readAttributes();
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
    QStringView page_;
    qsizetype pos_ = 0;
    qsizetype len_ = 0;
    std::vector<Node> nodes_;
    bool textEditMode_ = false;
    bool namedEntity_ = false;   // readWord met an entity named in letters
    // Words as read, kept for their room.
    QString name_;
    QString key_;
    QString value_;

    long long tags_ = 0;
    long long depthSum_ = 0;
    long long styleText_ = 0;
    long long styleAttributes_ = 0;
    long long text_ = 0;
    // Each makes a paragraph, which may join a list started before it.
    struct Lines {
        long long kept = 0;    // newlines where the reader keeps them
        long long all = 0;     // newlines of all text shown, which style sheets may keep
        long long marks = 0;   // paragraph marks
        long long count(bool styled) const { return (styled ? all : kept) + marks; }
    };
    Lines lines_;
    std::optional<Lines> linesBeforeLists_;
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
    page_ = txt_;
    len_ = txt_.size();
    nodes_.emplace_back();
}

void PageScan::eatSpace() {
    while (pos_ < len_ && at(pos_).isSpace() && at(pos_) != QChar::ParagraphSeparator) ++pos_;
}

// Text goes to the last node, as the reader adds it there a character at
// a time.
void PageScan::append(QStringView text) {
    if (text.isEmpty()) return;
    Node& n = nodes_.back();
    if (n.textLength == 0) n.firstChar = text.front();
    n.lastChar = text.back();
    n.textLength += text.size();
    text_ += text.size();
    if (n.id == El::Style) styleText_ += text.size();
    if (n.mode == Mode::None) return;
    const qsizetype newlines = text.count(u'\n');
    lines_.marks += text.count(QChar::ParagraphSeparator);
    lines_.all += newlines;
    if (keepsNewlines(n.space) && !textEditMode_) lines_.kept += newlines;
}

QString PageScan::readEntity() {
    const qsizetype recover = pos_;
    qsizetype length = 0;
    bool broken = false;
    while (pos_ < len_) {
        const QChar c = at(pos_++);
        if (c.isSpace() || pos_ - recover > 9) {
            broken = true;
            break;
        }
        if (c == u';') break;
        ++length;
    }
    if (!broken && length) {
        QStringView entity = view(recover, recover + length);
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

// Appends the word at pos_ to word.
void PageScan::readWord(QString& word) {
    if (hasPrefix(u'"')) {
        // Up to the closing quote, entities read.
        ++pos_;
        while (pos_ < len_) {
            const qsizetype end = next(u'"');
            const qsizetype entity = view(pos_, end).indexOf(u'&');
            if (entity < 0) {
                word += view(pos_, end);
                pos_ = std::min(end + 1, len_);
                break;
            }
            word += view(pos_, pos_ + entity);
            pos_ += entity + 1;
            word += readEntity();
        }
    } else if (hasPrefix(u'\'')) {
        // Up to a quote without a backslash before it, as it stands.
        const qsizetype start = ++pos_;
        while ((pos_ = next(u'\'')) < len_ && at(pos_ - 1) == u'\\') ++pos_;
        word += view(start, pos_);
        pos_ = std::min(pos_ + 1, len_);
    } else {
        qsizetype from = pos_;
        while (pos_ < len_) {
            const QChar c = at(pos_++);
            if (c == u'>' || (c == u'/' && hasPrefix(u'>')) || c == u'<' || c == u'=' || c.isSpace()) {
                --pos_;
                break;
            }
            if (c == u'&') {
                word += view(from, pos_ - 1);
                word += readEntity();
                from = pos_;
            }
        }
        word += view(from, pos_);
    }
}

// A tag's name into name_, lower-cased. False for a name that spells a
// character by a named entity: which entity names the reader knows decides
// which end tag closes which element, and the scan does not carry the
// reader's list.
bool PageScan::readTagName() {
    namedEntity_ = false;
    name_.truncate(0);
    readWord(name_);
    name_ = std::move(name_).toLower();
    if (!namedEntity_) return true;
    problem = "a tag's name spells a character by an entity";
    return false;
}

// The attributes of the last node, applied as the reader applies those that
// matter here.
void PageScan::readAttributes() {
    Node& n = nodes_.back();
    bool richTextMeta = false;
    while (pos_ < len_) {
        eatSpace();
        if (hasPrefix(u'>') || hasPrefix(u'/')) break;
        key_.truncate(0);
        readWord(key_);
        key_ = std::move(key_).toLower();
        const QString& key = key_;
        if (key.isEmpty()) break;
        eatSpace();
        bool given = false;
        value_.truncate(0);
        if (hasPrefix(u'=')) {
            ++pos_;
            eatSpace();
            readWord(value_);
            given = true;
        }
        if (given && value_.isEmpty()) continue;
        const QStringView value = given ? QStringView(value_) : QStringView(u"1");
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
}

// The last node, when it is a text node with nothing in it (or a single
// blank after a block), becomes the next node, its blank dropped.
int PageScan::newNode(int parent) {
    Node& last = nodes_.back();
    bool reuse = false;
    if (nodes_.size() > 1 && !hasTag(last)) {
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
        n.element = knownElement(QString::fromLatin1(tag));
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
    if (holdsRows(nodes_[p].id) || nodes_[p].id == El::Tr) nodes_[p].children.push_back(node);
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
            const qsizetype end = page_.indexOf(QLatin1StringView("-->"), pos_);
            pos_ = end >= 0 ? end + 3 : len_;
        } else {
            while (pos_ < len_ && at(pos_++) != u'>') {
            }
        }
        const Node& last = nodes_.back();
        if (last.space != Space::Pre && last.space != Space::PreWrap && !textEditMode_) {
            // Blanks after it are dropped, unless a style sheet keeps them.
            const qsizetype from = pos_;
            eatSpace();
            if (last.mode != Mode::None) lines_.all += view(from, pos_).count(u'\n');
        }
        return true;
    }
    return hasPrefix(u'/') ? readEndTag() : readStartTag();
}

bool PageScan::readStartTag() {
    int p = lastIndex();
    while (p && !hasTag(nodes_[p])) p = nodes_[p].parent;
    int node = newNode(p);
    if (!readTagName()) return false;
    Node& fresh = nodes_[node];
    fresh.element = knownElement(name_);
    if (fresh.element) {
        fresh.id = fresh.element->id;
        fresh.mode = fresh.element->mode;
    } else {
        fresh.otherTag = name_;
    }
    if (pos_ < len_ && at(pos_).isSpace()) readAttributes();

    node = resolveParent();
    if (!resolveNode(node)) return false;
    Node& n = nodes_[node];
    if (n.id == El::Pre) n.space = Space::Pre;
    else if (n.id == El::Br) n.space = Space::PreWrap;

    bool closed = false;
    while (pos_ < len_ && at(pos_) != u'>') {
        if (at(pos_) == u'/') closed = true;
        ++pos_;
    }
    ++pos_;
    if (keepsNewlines(n.space) && n.mode == Mode::Block && pos_ < len_ - 1 && at(pos_) == u'\n') ++pos_;

    if (!countTag()) return false;
    depthSum_ += n.depth;
    if (n.id == El::Img) ++pictures_;
    if (n.id == El::Li) ++nodes_[n.list].items;
    if ((n.id == El::Ul || n.id == El::Ol) && !linesBeforeLists_) linesBeforeLists_ = lines_;
    if (holdsNothing(n.id) || closed) return resolveNode(newNode(n.parent));
    return true;
}

bool PageScan::readEndTag() {
    ++pos_;
    if (!readTagName()) return false;
    const QString name = name_.trimmed();
    while (pos_ < len_ && at(pos_++) != u'>') {
    }
    if (!countTag()) return false;
    // Right after an element of this name that holds nothing (the node
    // before the last), the end tag closes back to where that element
    // stood, whatever opened or closed since.
    int p = lastIndex();
    if (p > 0 && named(nodes_[p - 1], name) && holdsNothing(nodes_[p - 1].id)) --p;
    while (p && !named(nodes_[p], name)) p = nodes_[p].parent;
    if (!p) return true;
    Node& last = nodes_.back();
    if (keepsNewlines(nodes_[p].space) && nodes_[p].mode == Mode::Block && last.textLength > 0 &&
        last.lastChar == u'\n')
        --last.textLength;
    return resolveNode(newNode(nodes_[p].parent));
}

bool PageScan::read() {
    while (pos_ < len_) {
        const QChar c = at(pos_);
        if (c == u'<') {
            ++pos_;
            if (!readTag()) return false;
        } else if (c == u'&') {
            ++pos_;
            append(readEntity());
        } else {
            // The text up to the next tag or entity.
            qsizetype end = next(u'<');
            const qsizetype entity = view(pos_, end).indexOf(u'&');
            if (entity >= 0) end = pos_ + entity;
            append(view(pos_, end));
            pos_ = end;
        }
    }
    return true;
}

// Each table has as many rows as row elements and as many columns as its
// widest row, counting the columns that cells of rows above still span;
// the reader makes rows times columns cells of it. A table past the limit
// is not counted further.
void PageScan::measureTables() {
    // What a column holds of the cell last placed over it.
    struct Span {
        int endRow;   // the row below the cell
        int colSpan;
    };
    for (const Node& table : nodes_) {
        if (table.id != El::Table) continue;
        std::vector<int> rows;
        for (int child : table.children) {
            const Node& c = nodes_[child];
            if (c.id == El::Tr) rows.push_back(child);
            if (holdsRows(c.id) && c.id != El::Table)
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
                    if (s.endRow <= r) break;
                    col += s.colSpan;
                }
                const long long start = col;
                col += c.colSpan;
                columns = std::max(columns, col);
                if (columns > most) break;
                if (static_cast<long long>(spanOfColumn.size()) < col) spanOfColumn.resize(col);
                const Span span{int(std::min<long long>(r + c.rowSpan, INT_MAX)), c.colSpan};
                std::fill(spanOfColumn.begin() + start, spanOfColumn.begin() + col, span);
            }
        }
        cells_ += rowCount * columns;
    }
}

bool PageScan::measure() {
    measureTables();
    // Style sheets can keep any newline.
    const bool styled = styleText_ + styleAttributes_ > 0;
    const long long lines = lines_.count(styled);
    const long long linesAfterLists = linesBeforeLists_ ? lines - linesBeforeLists_->count(styled) : 0;
    int longestList = 0;
    for (auto n = nodes_.begin() + 1; n != nodes_.end(); ++n) longestList = std::max(longestList, n->items);
    return withinAll({
        {cells_ > kMostTableCells, holdsMore(kMostTableCells, "table cells")},
        {longestList > kMostListItems, "a list of it holds more than " + std::to_string(kMostListItems) + " items"},
        {longestList + linesAfterLists > kMostListItems,
         "it has more than " + std::to_string(kMostListItems) + " lines of preformatted text in or after a list"},
        {text_ > kMostPageText, holdsMore(kMostPageText, "characters of text")},
        {lines > kMostLines, holdsMore(kMostLines, "lines")},
        {pictures_ > kMostPictures, holdsMore(kMostPictures, "pictures")},
        {styleAttributes_ > kMostStyleAttributes, holdsMore(kMostStyleAttributes, "characters of style attributes")},
        // Going up one element costs about as much as trying three characters
        // of style sheet there.
        {depthSum_ * (3 + styleText_) > kMostStyleWork,
         "its style sheets are too large for the elements they apply to"},
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
         "it has more than " + std::to_string(kMostUnbrokenText) +
             " characters in a row with no space to break the line at"},
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
