#include "core/media/RichText.h"

#include "core/app/ForeignText.h"

#include <QStringDecoder>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <limits>
#include <optional>
#include <vector>

namespace media {

namespace {

// Character properties; they belong to the group they are set in.
struct CharState {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int halfPoints = 24; // font size in half points (12 pt)

    bool operator==(const CharState&) const = default;
};

// Paragraph properties, in twips; applied to the paragraph when it ends.
struct ParState {
    Qt::Alignment align = Qt::AlignLeft;
    int leftIndent = 0;
    int firstIndent = 0;
    int spaceBefore = 0;
    int spaceAfter = 0;
};

struct GroupState {
    CharState ch;
    ParState par;
    int uc = 1;        // characters of fallback text after each \uN
    bool skip = false; // inside a destination whose text is not shown
};

// Receives the document as it is read.
class Sink {
public:
    virtual ~Sink() = default;
    virtual void text(const QString& s, const CharState& ch) = 0;
    virtual void lineBreak(const CharState& ch) = 0;
    // Ends the current paragraph, which takes the properties `par`.
    virtual void paragraph(const ParState& par) = 0;
    // The document ended; the last paragraph takes `par`.
    virtual void finish(const ParState& par) = 0;
};

// Windows code page 1252, bytes 0x80 to 0x9F; the others are the same as Latin-1.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

QChar cp1252(unsigned char b) {
    if (b >= 0x80 && b <= 0x9F)
        return QChar(kCp1252High[b - 0x80]);
    return QChar(static_cast<char16_t>(b));
}

// Destinations whose content is never shown.
bool isSkippedDestination(const QByteArray& w) {
    static const char* const kSkipped[] = {"fonttbl",
                                           "colortbl",
                                           "stylesheet",
                                           "info",
                                           "pict",
                                           "header",
                                           "headerl",
                                           "headerr",
                                           "headerf",
                                           "footer",
                                           "footerl",
                                           "footerr",
                                           "footerf",
                                           "object",
                                           "objdata",
                                           "listtable",
                                           "listoverridetable",
                                           "rsidtbl",
                                           "generator",
                                           "xmlnstbl",
                                           "fldinst",
                                           "themedata",
                                           "colorschememapping",
                                           "datastore",
                                           "latentstyles",
                                           "filetbl",
                                           "revtbl",
                                           "pn",
                                           "pntxta",
                                           "pntxtb",
                                           "private",
                                           "userprops",
                                           "docvar",
                                           "template",
                                           "bkmkstart",
                                           "bkmkend",
                                           "nonshppict",
                                           "shpinst",
                                           "footnote",
                                           "annotation",
                                           "atnid",
                                           "atnauthor",
                                           "mmathPr",
                                           "wgrffmtfilter",
                                           "pgdsctbl",
                                           "operator",
                                           "author",
                                           "title",
                                           "subject",
                                           "keywords",
                                           "comment",
                                           "doccomm",
                                           "falt",
                                           "panose",
                                           "fname",
                                           "passwordhash"};
    for (const char* s : kSkipped)
        if (w == s)
            return true;
    return false;
}

const char* decoderNameFor(int codePage) {
    switch (codePage) {
    case 932:
        return "Shift_JIS";
    case 936:
        return "GBK";
    case 949:
        return "windows-949";
    case 950:
        return "Big5";
    case 65001:
        return "UTF-8";
    default:
        return nullptr;
    }
}

class Parser {
public:
    Parser(const QByteArray& data, Sink& sink) : m_data(data), m_sink(sink) {}

    // Reads the whole document into the sink; false when it is malformed (see error()).
    bool run();
    const QString& error() const { return m_error; }

private:
    bool fail(const QString& why) {
        if (m_error.isEmpty())
            m_error = why;
        return false;
    }
    bool atEnd() const { return m_pos >= m_data.size(); }
    unsigned char peek() const { return static_cast<unsigned char>(m_data[m_pos]); }

    bool openGroup();
    bool closeGroup(); // sets m_done when the outermost group ends
    bool control();
    void word(const QByteArray& w, bool hasParam, int param);
    void symbol(unsigned char c);

    // Text output, with the run of equal character properties collected before it goes out.
    void addByte(unsigned char b);
    void addText(const QString& s);
    void flushBytes();
    void flushText();
    void emitParagraph();
    void emitLineBreak();
    // One character of the fallback text after \uN is skipped; true when this one was.
    bool skippedAsFallback() {
        if (m_fallbackLeft <= 0)
            return false;
        --m_fallbackLeft;
        return true;
    }
    void setCodePage(int cp);

    const QByteArray& m_data;
    Sink& m_sink;
    qsizetype m_pos = 0;
    bool m_done = false;
    QString m_error;

    GroupState m_st;
    std::vector<GroupState> m_stack;
    int m_fallbackLeft = 0;

    QByteArray m_bytes;
    CharState m_bytesState;
    QString m_text;
    CharState m_textState;
    std::optional<QStringDecoder> m_decoder; // unset: code page 1252
};

bool Parser::run() {
    m_stack.reserve(64);
    bool good = true;
    while (good && !atEnd() && !m_done) {
        const unsigned char c = peek();
        switch (c) {
        case '{':
            good = openGroup();
            break;
        case '}':
            good = closeGroup();
            break;
        case '\\':
            good = control();
            break;
        case '\r':
        case '\n':
            ++m_pos;
            break;
        case '\t':
            ++m_pos;
            if (!m_st.skip && !skippedAsFallback())
                addText(QStringLiteral("\t"));
            break;
        default:
            ++m_pos;
            if (c < 0x20 || m_st.skip || skippedAsFallback())
                break; // other control characters are not text
            addByte(c);
            break;
        }
    }
    // What was read up to a fault still goes out.
    flushText();
    m_sink.finish(m_st.par);
    if (good && !m_done)
        return fail(
            QStringLiteral("The document ends inside a group: a closing brace is missing."));
    return good;
}

bool Parser::openGroup() {
    ++m_pos;
    if (static_cast<int>(m_stack.size()) >= kMaxRtfDepth)
        return fail(
            QStringLiteral("The document is nested more than %1 groups deep.").arg(kMaxRtfDepth));
    flushBytes();
    m_stack.push_back(m_st);
    m_fallbackLeft = 0;
    return true;
}

bool Parser::closeGroup() {
    ++m_pos;
    flushBytes();
    m_fallbackLeft = 0;
    if (m_stack.empty())
        return fail(QStringLiteral("The document has a closing brace without an opening one."));
    m_st = m_stack.back();
    m_stack.pop_back();
    if (m_stack.empty())
        m_done = true; // what follows the outermost group is not part of the document
    return true;
}

bool Parser::control() {
    ++m_pos; // the backslash
    if (atEnd())
        return true;
    const unsigned char c = peek();
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (!letter) {
        ++m_pos;
        symbol(c);
        return true;
    }
    const qsizetype start = m_pos;
    while (!atEnd() && ((peek() >= 'a' && peek() <= 'z') || (peek() >= 'A' && peek() <= 'Z'))) {
        if (m_pos - start >= kMaxRtfWordLength)
            return fail(
                QStringLiteral("A control word is longer than %1 letters.").arg(kMaxRtfWordLength));
        ++m_pos;
    }
    const QByteArray w = m_data.mid(start, m_pos - start);

    bool hasParam = false;
    bool negative = false;
    qint64 value = 0;
    if (!atEnd() && peek() == '-') {
        negative = true;
        ++m_pos;
    }
    int digits = 0;
    while (!atEnd() && peek() >= '0' && peek() <= '9') {
        if (++digits > 10)
            return fail(QStringLiteral("A number in the document has more than 10 digits."));
        value = value * 10 + (peek() - '0');
        ++m_pos;
        hasParam = true;
    }
    if (negative)
        value = -value;
    value =
        std::clamp<qint64>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    if (!atEnd() && peek() == ' ')
        ++m_pos; // the delimiter belongs to the control word

    word(w, hasParam, static_cast<int>(value));
    return true;
}

void Parser::symbol(unsigned char c) {
    if (c == '*') { // the rest of this group is a destination we may ignore: we do
        m_st.skip = true;
        return;
    }
    if (c == '\'') {
        int v = 0;
        for (int i = 0; i < 2; ++i) {
            if (atEnd())
                return;
            const unsigned char h = peek();
            int d = -1;
            if (h >= '0' && h <= '9')
                d = h - '0';
            else if (h >= 'a' && h <= 'f')
                d = h - 'a' + 10;
            else if (h >= 'A' && h <= 'F')
                d = h - 'A' + 10;
            if (d < 0)
                return; // not an escape after all; the character is read as text
            v = v * 16 + d;
            ++m_pos;
        }
        if (!m_st.skip && !skippedAsFallback())
            addByte(static_cast<unsigned char>(v));
        return;
    }
    if (m_st.skip || skippedAsFallback())
        return;
    switch (c) {
    case '\\':
    case '{':
    case '}':
        addByte(c);
        break;
    case '~':
        addText(QString(QChar(0x00A0)));
        break;
    case '_':
        addText(QStringLiteral("-"));
        break;
    case '\r':
    case '\n':
        emitParagraph();
        break;
    default: // \- optional hyphen, \| \: and unknown symbols show nothing
        break;
    }
}

void Parser::word(const QByteArray& w, bool hasParam, int param) {
    if (w == "bin") { // binary data follows: skipped whatever the state
        const qsizetype n = hasParam && param > 0 ? param : 0;
        m_pos = std::min(m_data.size(), m_pos + n);
        return;
    }
    if (m_st.skip)
        return;
    if (isSkippedDestination(w)) {
        m_st.skip = true;
        return;
    }
    if (w == "u") {
        int code = hasParam ? param : 0;
        if (code < 0)
            code += 65536;
        if (code >= 0 && code <= 0xFFFF && code != 0)
            addText(QString(QChar(static_cast<char16_t>(code))));
        m_fallbackLeft = m_st.uc;
        return;
    }
    if (skippedAsFallback())
        return;

    const bool on = !hasParam || param != 0;
    CharState ch = m_st.ch;
    if (w == "b")
        ch.bold = on;
    else if (w == "i")
        ch.italic = on;
    else if (w == "ul" || w == "ulw" || w == "uld" || w == "uldb" || w == "ulth")
        ch.underline = on;
    else if (w == "ulnone")
        ch.underline = false;
    else if (w == "fs")
        ch.halfPoints = hasParam ? std::clamp(param, 2, 400) : 24;
    else if (w == "plain")
        ch = CharState{};
    if (!(ch == m_st.ch)) {
        m_st.ch = ch;
        return;
    }

    ParState& par = m_st.par;
    if (w == "par" || w == "sect" || w == "page" || w == "row")
        emitParagraph();
    else if (w == "line")
        emitLineBreak();
    else if (w == "tab" || w == "cell")
        addText(QStringLiteral("\t"));
    else if (w == "pard")
        par = ParState{};
    else if (w == "ql")
        par.align = Qt::AlignLeft;
    else if (w == "qc")
        par.align = Qt::AlignHCenter;
    else if (w == "qr")
        par.align = Qt::AlignRight;
    else if (w == "qj")
        par.align = Qt::AlignJustify;
    else if (w == "li")
        par.leftIndent = std::clamp(param, 0, 14400);
    else if (w == "fi")
        par.firstIndent = std::clamp(param, -14400, 14400);
    else if (w == "sb")
        par.spaceBefore = std::clamp(param, 0, 14400);
    else if (w == "sa")
        par.spaceAfter = std::clamp(param, 0, 14400);
    else if (w == "uc")
        m_st.uc = std::clamp(param, 0, 10);
    else if (w == "ansicpg")
        setCodePage(param);
    else if (w == "bullet")
        addText(QString(QChar(0x2022)));
    else if (w == "emdash")
        addText(QString(QChar(0x2014)));
    else if (w == "endash")
        addText(QString(QChar(0x2013)));
    else if (w == "lquote")
        addText(QString(QChar(0x2018)));
    else if (w == "rquote")
        addText(QString(QChar(0x2019)));
    else if (w == "ldblquote")
        addText(QString(QChar(0x201C)));
    else if (w == "rdblquote")
        addText(QString(QChar(0x201D)));
    else if (w == "emspace" || w == "enspace" || w == "qmspace")
        addText(QStringLiteral(" "));
    // every other control word changes nothing we show
}

void Parser::setCodePage(int cp) {
    flushBytes();
    m_decoder.reset();
    if (cp == 1252)
        return;
    QByteArray name =
        decoderNameFor(cp) ? QByteArray(decoderNameFor(cp)) : "windows-" + QByteArray::number(cp);
    QStringDecoder d(name.constData());
    if (d.isValid())
        m_decoder.emplace(std::move(d));
    // an unknown code page reads as 1252
}

void Parser::addByte(unsigned char b) {
    if (!m_bytes.isEmpty() && !(m_bytesState == m_st.ch))
        flushBytes();
    m_bytesState = m_st.ch;
    m_bytes.append(static_cast<char>(b));
}

void Parser::flushBytes() {
    if (m_bytes.isEmpty())
        return;
    QString s;
    if (m_decoder) {
        s = m_decoder->decode(m_bytes);
    } else {
        s.reserve(m_bytes.size());
        for (char b : std::as_const(m_bytes))
            s.append(cp1252(static_cast<unsigned char>(b)));
    }
    m_bytes.clear();
    if (!m_text.isEmpty() && !(m_textState == m_bytesState))
        flushText();
    m_textState = m_bytesState;
    m_text += s;
}

void Parser::addText(const QString& s) {
    flushBytes();
    if (!m_text.isEmpty() && !(m_textState == m_st.ch))
        flushText();
    m_textState = m_st.ch;
    m_text += s;
}

void Parser::flushText() {
    flushBytes();
    if (m_text.isEmpty())
        return;
    m_sink.text(m_text, m_textState);
    m_text.clear();
}

void Parser::emitParagraph() {
    flushText();
    m_sink.paragraph(m_st.par);
}

void Parser::emitLineBreak() {
    flushText();
    m_sink.lineBreak(m_st.ch);
}

class PlainSink : public Sink {
public:
    QString out;
    void text(const QString& s, const CharState&) override { out += s; }
    void lineBreak(const CharState&) override { out += QLatin1Char('\n'); }
    void paragraph(const ParState&) override { out += QLatin1Char('\n'); }
    void finish(const ParState&) override {}
};

class DocumentSink : public Sink {
public:
    explicit DocumentSink(QTextDocument& doc) : m_cursor(&doc) {}
    void text(const QString& s, const CharState& ch) override {
        m_cursor.insertText(s, charFormat(ch));
    }
    void lineBreak(const CharState& ch) override {
        m_cursor.insertText(QString(QChar::LineSeparator), charFormat(ch));
    }
    void paragraph(const ParState& par) override {
        m_cursor.setBlockFormat(blockFormat(par));
        m_cursor.insertBlock();
    }
    void finish(const ParState& par) override { m_cursor.setBlockFormat(blockFormat(par)); }

private:
    static QTextCharFormat charFormat(const CharState& ch) {
        QTextCharFormat f;
        f.setFontWeight(ch.bold ? QFont::Bold : QFont::Normal);
        f.setFontItalic(ch.italic);
        f.setFontUnderline(ch.underline);
        f.setFontPointSize(ch.halfPoints / 2.0);
        return f;
    }
    static QTextBlockFormat blockFormat(const ParState& par) {
        // twips to pixels at 96 dpi: 15 twips each
        QTextBlockFormat f;
        f.setAlignment(par.align);
        f.setLeftMargin(par.leftIndent / 15.0);
        f.setTextIndent(par.firstIndent / 15.0);
        f.setTopMargin(par.spaceBefore / 15.0);
        f.setBottomMargin(par.spaceAfter / 15.0);
        return f;
    }
    QTextCursor m_cursor;
};

QString tooLarge() {
    return QStringLiteral("The document is larger than %1 MiB.")
        .arg(kMaxRtfInputBytes / (1024 * 1024));
}

} // namespace

bool isRtf(const QByteArray& data) {
    return data.startsWith("{\\rtf");
}

QString rtfToPlainText(const QByteArray& data, bool* ok) {
    if (ok)
        *ok = false;
    if (data.size() > kMaxRtfInputBytes)
        return QString();
    if (!isRtf(data)) {
        if (ok)
            *ok = true;
        return app::foreignText(data);
    }
    PlainSink sink;
    Parser parser(data, sink);
    const bool good = parser.run();
    if (ok)
        *ok = good;
    return sink.out;
}

bool rtfToDocument(const QByteArray& data, QTextDocument& doc, QString* error) {
    doc.clear();
    if (data.size() > kMaxRtfInputBytes) {
        if (error)
            *error = tooLarge();
        return false;
    }
    if (!isRtf(data)) {
        doc.setPlainText(QString::fromLocal8Bit(data));
        return true;
    }
    DocumentSink sink(doc);
    Parser parser(data, sink);
    const bool good = parser.run();
    if (!good && error)
        *error = parser.error();
    return good;
}

} // namespace media
