#include "FontSupport.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <cerrno>
#include <cmath>
#include <sys/stat.h>
#include <unistd.h>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/TextMetrics.h"

namespace qz::render {

QString FontFamilyFor(const std::string& name) {
    static std::map<std::string, QString> cache;
    auto it = cache.find(name);
    if (it != cache.end()) return it->second;
    QString family = QString::fromStdString(name);
    if (family.compare("Arial", Qt::CaseInsensitive) == 0 &&
        QFontDatabase::families().contains("Liberation Sans")) {
        family = "Liberation Sans";
    }
    cache.emplace(name, family);
    return family;
}

int FontPixelSize(int points) {
    return std::max(1, static_cast<int>(std::lround(points * 96.0 / 72.0)));
}

QFont ToQFont(const TFont& f) {
    QFont q(FontFamilyFor(f.name));
    q.setPixelSize(FontPixelSize(f.size));
    q.setBold(f.style & fsBold);
    q.setItalic(f.style & fsItalic);
    q.setUnderline(f.style & fsUnderline);
    q.setStrikeOut(f.style & fsStrikeOut);
    q.setKerning(false);
    q.setHintingPreference(QFont::PreferNoHinting);
    return q;
}

void EnsureGuiApplication() {
    if (QGuiApplication::instance()) return;
    static int argc = 1;
    static char name[] = "quenzor";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        // Qt wants a private runtime directory and warns on every run
        // without one.
        const QByteArray dir = "/tmp/runtime-" + QByteArray::number(::getuid());
        if (::mkdir(dir.constData(), 0700) == 0 || errno == EEXIST) qputenv("XDG_RUNTIME_DIR", dir);
    }
    // Kept for the whole run: fonts and images need it until exit.
    static QGuiApplication* app = new QGuiApplication(argc, argv);
    (void)app;
}

namespace {

// Metrics are cached per font: labels measure often and Qt's font lookup is
// not cheap. Widths are cached too: a label is measured when it is read, laid
// out and drawn, and shaping its text is the dearest part of drawing it.
struct FontMeasures {
    TFont font;
    std::unique_ptr<QFontMetrics> metrics;
    std::unordered_map<std::string, int> widths;
};

// Cached widths per font before the cache starts afresh.
constexpr std::size_t kMaxCachedWidths = std::size_t{1} << 18;

// The colour does not change a text's measures.
bool SameShape(const TFont& a, const TFont& b) {
    return a.name == b.name && a.size == b.size && a.style == b.style;
}

// The few fonts measured last (labels and the canvas' own font alternate).
FontMeasures& MeasuresFor(const TFont& f) {
    static std::vector<std::unique_ptr<FontMeasures>> recent;
    for (std::size_t i = 0; i < recent.size(); ++i) {
        if (SameShape(recent[i]->font, f)) {
            if (i != 0) std::swap(recent[i], recent[0]);
            return *recent[0];
        }
    }
    if (recent.size() == 4) recent.pop_back();
    auto m = std::make_unique<FontMeasures>();
    m->font = f;
    m->metrics = std::make_unique<QFontMetrics>(ToQFont(f));
    recent.insert(recent.begin(), std::move(m));
    return *recent[0];
}

const QFontMetrics& MetricsFor(const TFont& f) { return *MeasuresFor(f).metrics; }

} // namespace

int MeasureTextWidth(const TFont& f, std::string_view utf8) {
    FontMeasures& m = MeasuresFor(f);
    std::string key(utf8);
    if (auto it = m.widths.find(key); it != m.widths.end()) return it->second;
    const int width = m.metrics->horizontalAdvance(QString::fromUtf8(utf8.data(), qsizetype(utf8.size())));
    if (m.widths.size() >= kMaxCachedWidths) m.widths.clear();
    m.widths.emplace(std::move(key), width);
    return width;
}

int MeasureTextHeight(const TFont& f) { return MetricsFor(f).height(); }

int MeasureAscent(const TFont& f) { return MetricsFor(f).ascent(); }

const QFont& CachedQFont(const TFont& f) {
    static TFont lastFont;
    static std::unique_ptr<QFont> last;
    if (!last || !(lastFont == f)) {
        last = std::make_unique<QFont>(ToQFont(f));
        lastFont = f;
    }
    return *last;
}

int QtTextMeasurer::TextWidth(std::string_view text) { return MeasureTextWidth(font, text); }

int QtTextMeasurer::TextHeight(std::string_view) { return MeasureTextHeight(font); }

ScopedQtMeasuring::ScopedQtMeasuring() : previous_(&MeasuringSurface()) {
    EnsureGuiApplication();
    SetMeasuringSurface(&measurer_);
}

ScopedQtMeasuring::~ScopedQtMeasuring() { SetMeasuringSurface(previous_); }

} // namespace qz::render

#if defined(__SANITIZE_ADDRESS__)
// Fontconfig keeps a cache for the whole process that it never frees; Qt's
// font database holds it. Not ours to free, so not reported.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
#endif
