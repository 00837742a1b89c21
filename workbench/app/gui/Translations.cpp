#include "Translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTranslator>
#include <vector>

#include "QtText.h"

namespace {

const char* const kContext = "Core";

// The texts of the core that reach the screen. A line of a message is one entry; "%1", "%2"
// stand for the paths, names and numbers that the core puts in.
const char* const kCoreTexts[] = {
    // Captions of the messages.
    QT_TRANSLATE_NOOP("Core", "Error"),
    QT_TRANSLATE_NOOP("Core", "Read Error"),
    QT_TRANSLATE_NOOP("Core", "Calculation error"),
    QT_TRANSLATE_NOOP("Core", "Confirm"),
    QT_TRANSLATE_NOOP("Core", "Very Large MaxIter"),
    QT_TRANSLATE_NOOP("Core", "Very Small MaxIter"),
    QT_TRANSLATE_NOOP("Core", "Error in %1"),
    // Messages of the document and the setup form.
    QT_TRANSLATE_NOOP("Core", "Can't Get FrameArray"),
    QT_TRANSLATE_NOOP("Core", "Can't Get Original Data"),
    QT_TRANSLATE_NOOP("Core", "Can't Create GraphFrame"),
    QT_TRANSLATE_NOOP("Core", "Can't Get GraphFrameArray"),
    QT_TRANSLATE_NOOP("Core", "Can't Get GraphFrame"),
    QT_TRANSLATE_NOOP("Core", "Can't get GraphFrame(0)"),
    QT_TRANSLATE_NOOP("Core", "Can't get pFrame"),
    QT_TRANSLATE_NOOP("Core", "Can't get pData"),
    QT_TRANSLATE_NOOP("Core", "Can't write [%1]"),
    QT_TRANSLATE_NOOP("Core", "Can't read [%1]"),
    QT_TRANSLATE_NOOP("Core", "Can't open [%1]"),
    QT_TRANSLATE_NOOP("Core", "Can't open %1"),
    QT_TRANSLATE_NOOP("Core", "Can't execute [%1]"),
    QT_TRANSLATE_NOOP("Core", "Can't exec [%1]"),
    QT_TRANSLATE_NOOP("Core", "Can't create curve #%1 with datan=%2"),
    QT_TRANSLATE_NOOP("Core", "File [%1] exists"),
    QT_TRANSLATE_NOOP("Core", "Overwrite it?"),
    QT_TRANSLATE_NOOP("Core", "MaxIter [%1] is larger than %2"),
    QT_TRANSLATE_NOOP("Core", "MaxIter [%1] is smaller than %2"),
    QT_TRANSLATE_NOOP("Core", "Continue?"),
    // Messages of a fit run.
    QT_TRANSLATE_NOOP("Core", "Can't copy [%1] to [%2]"),
    QT_TRANSLATE_NOOP("Core", "Some error must occur in file system"),
    QT_TRANSLATE_NOOP("Core", "File [%1] doesn't exist"),
    QT_TRANSLATE_NOOP("Core", "File [%1] is incomplete or damaged"),
    QT_TRANSLATE_NOOP("Core", "Some error must occur in the calculation"),
    QT_TRANSLATE_NOOP("Core", "Retrieve previous file"),
    // The datum choice, the setup form's scale button and the file dialogs' filters.
    QT_TRANSLATE_NOOP("Core", "Datum in Frame"),
    QT_TRANSLATE_NOOP("Core", "Log"),
    QT_TRANSLATE_NOOP("Core", "Lin"),
    QT_TRANSLATE_NOOP("Core", "Spectrum Files"),
    QT_TRANSLATE_NOOP("Core", "All Files (*.*)"),
    QT_TRANSLATE_NOOP("Core", "Text File (*.txt)"),
    QT_TRANSLATE_NOOP("Core", "Text Data File (*.txt;*.asc)"),
    QT_TRANSLATE_NOOP("Core", "Rietan int File (*.int)"),
    QT_TRANSLATE_NOOP("Core", "Rietan Data File (*.int;*.pat)"),
    QT_TRANSLATE_NOOP("Core", "Executable Files (*.exe)"),
    QT_TRANSLATE_NOOP("Core", "Balimor Files (*.pfc)"),
    QT_TRANSLATE_NOOP("Core", "PFC Files (*.pfc)"),
    QT_TRANSLATE_NOOP("Core", "Output Files (*.out)"),
};

// A pattern of the core: its text as a regular expression, with a group for each "%n", and the
// number n of each group in order.
struct Pattern {
  const char* source;
  QRegularExpression expression;
  std::vector<int> numbers;
};

const std::vector<Pattern>& Patterns() {
  static const std::vector<Pattern> patterns = [] {
    std::vector<Pattern> out;
    static const QRegularExpression place(QStringLiteral("%([1-9])"));
    for (const char* source : kCoreTexts) {
      const QString text = QString::fromUtf8(source);
      Pattern p{source, {}, {}};
      QString expression;
      qsizetype at = 0;
      for (auto m = place.globalMatch(text); m.hasNext();) {
        const QRegularExpressionMatch one = m.next();
        expression += QRegularExpression::escape(text.mid(at, one.capturedStart() - at)) + QStringLiteral("(.*)");
        p.numbers.push_back(one.captured(1).toInt());
        at = one.capturedEnd();
      }
      if (p.numbers.empty()) continue;
      expression += QRegularExpression::escape(text.mid(at));
      p.expression = QRegularExpression(QRegularExpression::anchoredPattern(expression),
                                        QRegularExpression::DotMatchesEverythingOption);
      out.push_back(std::move(p));
    }
    return out;
  }();
  return patterns;
}

// `pattern` with every "%n" replaced by parts[n - 1], in one pass, so that a part that holds
// "%2" itself stays as it is.
QString Fill(const QString& pattern, const QStringList& parts) {
  QString out;
  for (qsizetype i = 0; i < pattern.size(); ++i) {
    const QChar c = pattern[i];
    if (c == QLatin1Char('%') && i + 1 < pattern.size() && pattern[i + 1] >= QLatin1Char('1') &&
        pattern[i + 1] <= QLatin1Char('9')) {
      const int n = pattern[i + 1].digitValue();
      if (n <= parts.size()) {
        out += parts[n - 1];
        ++i;
        continue;
      }
    }
    out += c;
  }
  return out;
}

QString TranslateLine(const QString& line) {
  // Blanks before the text (the core indents "Continue?") are kept as they are.
  qsizetype lead = 0;
  while (lead < line.size() && line[lead] == QLatin1Char(' ')) ++lead;
  const QString text = line.mid(lead);
  if (text.isEmpty()) return line;
  const QByteArray utf8 = text.toUtf8();
  const QString exact = QCoreApplication::translate(kContext, utf8.constData());
  if (exact != text) return line.left(lead) + exact;
  for (const Pattern& p : Patterns()) {
    const QRegularExpressionMatch m = p.expression.match(text);
    if (!m.hasMatch()) continue;
    QStringList parts;
    for (std::size_t g = 0; g < p.numbers.size(); ++g) {
      const int n = p.numbers[g];
      while (parts.size() < n) parts << QString();
      parts[n - 1] = m.captured(static_cast<int>(g) + 1);
    }
    return line.left(lead) + Fill(QCoreApplication::translate(kContext, p.source), parts);
  }
  return line;
}

}  // namespace

QStringList TranslationFolders(const QString& programDir) {
  const QDir dir(programDir);
  return {QDir::cleanPath(dir.filePath(QStringLiteral("translations"))), QDir::cleanPath(programDir),
          QDir::cleanPath(dir.filePath(QStringLiteral("../share/balimor/translations")))};
}

QString InstallCaptionTranslation(QTranslator& translator, CaptionLanguage language, const QString& programDir) {
  if (language == CaptionLanguage::kJapanese) return QString();
  const QString name = QStringLiteral("balimor_%1.qm").arg(QLatin1String(LanguageCode(language)));
  for (const QString& folder : TranslationFolders(programDir)) {
    const QString path = QDir(folder).filePath(name);
    if (!QFileInfo(path).isFile() || !translator.load(path)) continue;
    QCoreApplication::installTranslator(&translator);
    return path;
  }
  return QString();
}

QString CoreText(const QString& text) {
  QStringList lines = text.split(QStringLiteral("\r\n"));
  for (QString& line : lines) line = TranslateLine(line);
  return lines.join(QStringLiteral("\r\n"));
}

QString CoreText(const std::string& text) { return CoreText(Q(text)); }
