#include "help/frame_set.h"

#include <QRegularExpression>

namespace acremark {

namespace {

QString Attribute(const QString& tag, const QString& name) {
    const QRegularExpression re(
        QStringLiteral("\\b%1\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\s>]+))").arg(name),
        QRegularExpression::CaseInsensitiveOption);
    const auto m = re.match(tag);
    if (!m.hasMatch()) return {};
    for (int i = 1; i <= 3; ++i)
        if (m.capturedStart(i) >= 0) return m.captured(i).trimmed();
    return {};
}

} // namespace

const THTMLFrame* THTMLFrameSet::Frame(const QString& name) const {
    for (const THTMLFrame& f : Frames)
        if (f.Name.compare(name, Qt::CaseInsensitive) == 0) return &f;
    return nullptr;
}

std::optional<THTMLFrameSet> ParseFrameSet(const QString& html) {
    static const QRegularExpression setTag(QStringLiteral("<frameset\\b[^>]*>"),
                                           QRegularExpression::CaseInsensitiveOption);
    const auto setMatch = setTag.match(html);
    if (!setMatch.hasMatch()) return std::nullopt;
    THTMLFrameSet set;
    QString sizes = Attribute(setMatch.captured(0), "cols");
    if (sizes.isEmpty()) {
        sizes = Attribute(setMatch.captured(0), "rows");
        set.Columns = sizes.isEmpty();
    }
    static const QRegularExpression title(QStringLiteral("<title[^>]*>(.*?)</title>"),
                                          QRegularExpression::CaseInsensitiveOption |
                                              QRegularExpression::DotMatchesEverythingOption);
    if (const auto t = title.match(html); t.hasMatch()) set.Title = t.captured(1).simplified();
    const QStringList sizeList = sizes.split(',', Qt::SkipEmptyParts);
    static const QRegularExpression frameTag(QStringLiteral("<frame\\b[^>]*>"),
                                             QRegularExpression::CaseInsensitiveOption);
    auto it = frameTag.globalMatch(html, setMatch.capturedEnd());
    while (it.hasNext()) {
        const QString tag = it.next().captured(0);
        THTMLFrame f;
        f.Name = Attribute(tag, "name");
        f.Source = Attribute(tag, "src");
        const auto i = set.Frames.size();
        f.Size = i < size_t(sizeList.size()) ? sizeList[qsizetype(i)].trimmed() : "*";
        set.Frames.push_back(f);
    }
    if (set.Frames.empty()) return std::nullopt;
    return set;
}

std::vector<int> FrameSizes(const THTMLFrameSet& set, int total) {
    std::vector<int> out(set.Frames.size(), 0);
    int fixed = 0, stars = 0;
    for (size_t i = 0; i < set.Frames.size(); ++i) {
        const QString& s = set.Frames[i].Size;
        if (s.endsWith('*')) {
            ++stars;
            continue;
        }
        out[i] = s.endsWith('%') ? total * s.chopped(1).toInt() / 100 : s.toInt();
        fixed += out[i];
    }
    const int rest = std::max(0, total - fixed);
    for (size_t i = 0; i < set.Frames.size(); ++i)
        if (set.Frames[i].Size.endsWith('*')) out[i] = stars ? rest / stars : 0;
    return out;
}

} // namespace acremark
