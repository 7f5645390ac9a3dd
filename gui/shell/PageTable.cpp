#include "PageTable.h"

#include <utility>

namespace {

template <size_t... I>
constexpr std::array<PageButton, kPageCount> buttonsOf(std::index_sequence<I...>) {
    return {std::get<I>(kPageTable).button...};
}
constexpr std::array<PageButton, kPageCount> kPageButtons = buttonsOf(std::make_index_sequence<kPageCount>());

// Every button names one of the six types and one of the seven places, and
// no two pages claim the same button.
constexpr bool buttonsAreSound() {
    for (int i = 0; i < kPageCount; ++i) {
        const PageButton& a = kPageButtons[i];
        if (a.type == 0) continue;
        if (!knownType(a.type) || a.place < 1 || a.place > kFunctionButtonCount || !a.text) return false;
        for (int j = i + 1; j < kPageCount; ++j)
            if (kPageButtons[j].type == a.type && kPageButtons[j].place == a.place) return false;
    }
    return true;
}
static_assert(buttonsAreSound(), "a page table row names a function button that does not exist or is taken");

constexpr FunctionButtons spareButtons() {
    FunctionButtons buttons{};
    for (FunctionButton& b : buttons) b = kSpareButton;
    return buttons;
}

constexpr std::array<FunctionButtons, kTypeCount> buttonsByType() {
    std::array<FunctionButtons, kTypeCount> all{};
    for (FunctionButtons& buttons : all) buttons = spareButtons();
    for (int page = 0; page < kPageCount; ++page) {
        const PageButton& b = kPageButtons[page];
        if (b.type != 0) all[b.type - kFirstType][b.place - 1] = {b.text, page};
    }
    return all;
}

constexpr std::array<FunctionButtons, kTypeCount> kButtons = buttonsByType();
constexpr FunctionButtons kNoButtons = spareButtons();

}  // namespace

PageButton pageButton(int index) {
    return index >= 0 && index < kPageCount ? kPageButtons[index] : PageButton{};
}

const FunctionButtons& functionButtonsFor(int type) {
    return knownType(type) ? kButtons[type - kFirstType] : kNoButtons;
}
