#include "model/Pasting.h"

#include <cctype>
#include <cstring>
#include <map>

#include "model/TEdge.h"
#include "model/TNetList.h"
#include "model/TPlatz.h"
#include "model/TSchriftObjekt.h"
#include "model/TTransition.h"
#include "settings/ProgramSettings.h"

namespace qz {

namespace {

bool Delimits(char c) { return c != '\0' && std::strchr("()*+-/^,;", c) != nullptr; }

std::string Upper(std::string_view s) {
    std::string u(s);
    for (char& c : u) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return u;
}

// Old variable names (upper case) -> new ones.
using Renaming = std::map<std::string, std::string>;

// Replaces every word (a longest run of characters that are no delimiters;
// variable names hold none) that `renamed` knows, in one pass: a replacement
// is never renamed again.
std::string RenameWords(std::string_view text, const Renaming& renamed) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        if (Delimits(text[i])) {
            out += text[i++];
            continue;
        }
        std::size_t end = i;
        while (end < text.size() && !Delimits(text[end])) ++end;
        const std::string_view word = text.substr(i, end - i);
        const auto it = renamed.find(Upper(word));
        if (it != renamed.end()) {
            out += it->second;
        } else {
            out += word;
        }
        i = end;
    }
    return out;
}

} // namespace

std::string ReplaceWholeWord(std::string_view text, std::string_view word, std::string_view replacement) {
    if (word.empty()) return std::string(text);
    return RenameWords(text, Renaming{{Upper(word), std::string(replacement)}});
}

std::vector<TGraphItem*> PasteClipboard(TNetList& net, std::vector<std::unique_ptr<TGraphItem>>& clipboard) {
    net.DeselectAll();
    std::vector<TGraphItem*> pasted;
    std::vector<std::string> taken;
    net.CollectVariableNames(taken);
    Renaming renamed;
    for (auto& item : clipboard) {
        if (!item || item->Kind() != kind::Place) continue;
        auto* place = static_cast<TPlatz*>(item.get());
        const std::string fresh = TNetList::UniqueVariableNameAmong(place->variableName, taken);
        taken.push_back(fresh);
        renamed.emplace(Upper(place->variableName), fresh);
        place->SetVariableName(fresh);
        place->SetSelected(true);
        pasted.push_back(net.Add(std::move(item), true));
    }
    std::vector<TGraphItem*> shapes;
    for (auto& item : clipboard) {
        if (!item) continue; // the places went in above
        if (item->Kind() == kind::Transition) {
            auto* t = static_cast<TTransition*>(item.get());
            t->SetFunctionText(RenameWords(t->functionText, renamed));
        } else if (item->Kind() == kind::Arc) {
            auto* a = static_cast<TEdge*>(item.get());
            const std::uint8_t labelShown = a->valueLabel->visible;
            a->SetWeightText(RenameWords(a->weightText, renamed));
            a->valueLabel->visible = labelShown;
        } else if (item->Kind() == kind::Shape) {
            shapes.push_back(item.get());
        }
        item->SetSelected(true);
        pasted.push_back(net.Add(std::move(item), true));
    }
    net.MoveToBack(shapes);
    clipboard.clear();
    net.CopySelected(clipboard);
    return pasted;
}

std::vector<TGraphItem*> MergeNet(TNetList& net, TNetList& source, std::size_t* leftOut) {
    source.SelectAll();
    std::vector<std::unique_ptr<TGraphItem>> copies;
    source.CopySelected(copies);
    if (leftOut) *leftOut = source.Count() - copies.size();
    if (copies.empty()) return {};
    std::vector<TGraphItem*> merged = PasteClipboard(net, copies);
    // Copies lie two grid sizes off their originals: back to where they were.
    TRect extent{};
    for (TGraphItem* e : merged) extent = UnionRect(extent, TNetList::ExtentOf(e));
    const int off = 2 * Settings().gridSize;
    MoveElementsTo(net, merged, {extent.left - off, extent.top - off});
    return merged;
}

void MoveElementsTo(TNetList& net, const std::vector<TGraphItem*>& elements, TPoint topLeft) {
    TRect extent{};
    for (TGraphItem* e : elements) extent = UnionRect(extent, TNetList::ExtentOf(e));
    const int dx = topLeft.x - extent.left, dy = topLeft.y - extent.top;
    if (elements.empty() || (dx == 0 && dy == 0)) return;
    auto move = [dx, dy](TGraphItem* e) {
        if (e->Kind() == kind::Arc) {
            auto* a = static_cast<TEdge*>(e);
            for (TPunkt& p : a->bendPoints) p = {p.x + dx, p.y + dy};
            a->geometryValid = 0;
            a->ComputeGeometry();
        } else {
            e->bounds = e->bounds.Offset(dx, dy);
            e->hit = e->hit.Offset(dx, dy);
        }
        // Labels placed automatically are placed again when the element is
        // drawn; until then they keep their distance like the others.
        for (TSchriftObjekt* l : {e->nameLabel.get(), e->valueLabel.get()}) {
            if (!l) continue;
            l->bounds = l->bounds.Offset(dx, dy);
            l->hit = l->hit.Offset(dx, dy);
        }
    };
    // The nodes first: an arc's geometry follows its ends.
    for (TGraphItem* e : elements) {
        const char k = e->Kind();
        if (k == kind::Place || k == kind::Transition || k == kind::Label || k == kind::Shape) move(e);
    }
    for (TGraphItem* e : elements) {
        if (e->Kind() == kind::Arc) move(e);
    }
    net.InvalidateAll();
}

} // namespace qz
