// The device pages, one row each, in page-stack order: a row's position is
// its page's index. The main window holds the pages and builds its page stack
// and function buttons from this table, and the screenshot program shows each
// page with the device its row names; a new page is a row here and its own
// files.
#pragma once

#include <array>
#include <cstddef>
#include <tuple>
#include <type_traits>

#include "AccCardConfigForm.h"
#include "AccCardReadConfigForm.h"
#include "AccChannelConfigForm.h"
#include "AccControlForm.h"
#include "AccMultiConfigForm.h"
#include "AccParamsConfigForm.h"
#include "DeviceTypes.h"
#include "EventSubscribeForm.h"
#include "FsuAlarmForm.h"
#include "FsuBaseForm.h"
#include "FsuEmuForm.h"
#include "FsuInfoForm.h"
#include "FsuModbusForm.h"
#include "FsuOtherForm.h"
#include "IotConfigForm.h"
#include "IotLoraWorkmodeForm.h"
#include "IotModbusForm.h"
#include "IotStateForm.h"
#include "IotWorkmodeForm.h"
#include "LogQueryForm.h"
#include "NetworkConfigForm.h"
#include "PlanConfigForm.h"
#include "UitServerInfo.h"

constexpr int kFunctionButtonCount = 7;

// The function button that opens a page: the device type whose buttons carry
// it, its place among them (1 to 7) and its label. Type 0: no function button
// opens the page (the fixed buttons above them do, or nothing).
struct PageButton {
    int type = 0;
    int place = 0;
    const char* text = nullptr;
};

template <class Widget>
struct PageRow {
    using Page = Widget;
    PageButton button;
};

inline constexpr std::tuple kPageTable{
    PageRow<NetworkConfigForm>{},
    PageRow<PlanConfigForm>{},
    PageRow<AccCardConfigForm>{{TSL_DEVICE_ACC, 1, "卡权限配置"}},
    PageRow<AccChannelConfigForm>{{TSL_DEVICE_ACC, 2, "门信息配置"}},
    PageRow<AccMultiConfigForm>{{TSL_DEVICE_ACC, 3, "组合联动配置"}},
    PageRow<AccControlForm>{{TSL_DEVICE_ACC, 4, "控制"}},
    PageRow<AccParamsConfigForm>{{TSL_DEVICE_ACC, 5, "设备信息"}},
    PageRow<LogQueryForm>{},
    PageRow<EventSubscribeForm>{},
    PageRow<IotWorkmodeForm>{{TSL_DEVICE_IOT, 3, "工作模式配置"}},
    PageRow<IotStateForm>{{TSL_DEVICE_IOT, 1, "端口状态"}},
    PageRow<IotConfigForm>{{TSL_DEVICE_IOT, 2, "端口配置"}},
    PageRow<IotModbusForm>{{TSL_DEVICE_IOT, 4, "Modbus配置"}},
    PageRow<FsuBaseForm>{{TSL_DEVICE_FSU, 1, "基础配置"}},
    PageRow<FsuModbusForm>{{TSL_DEVICE_FSU, 2, "Modbus配置"}},
    PageRow<FsuEmuForm>{{TSL_DEVICE_FSU, 3, "模拟量/RS485/联动"}},
    PageRow<FsuAlarmForm>{{TSL_DEVICE_FSU, 4, "报警设置"}},
    PageRow<FsuOtherForm>{{TSL_DEVICE_FSU, 5, "杂项"}},
    PageRow<IotLoraWorkmodeForm>{{TSL_DEVICE_IOT, 5, "Lora工作模式配置"}},
    PageRow<FsuInfoForm>{{TSL_DEVICE_NTP, 1, "基础信息"}},
    PageRow<AccCardReadConfigForm>{{TSL_DEVICE_ACC, 6, "读卡器地址配置"}},
    PageRow<UitServerInfo>{{TSL_DEVICE_UIT, 1, "基础配置"}},
};

using PageTable = std::remove_const_t<decltype(kPageTable)>;
constexpr int kPageCount = static_cast<int>(std::tuple_size_v<PageTable>);

namespace pagetable {
template <class Page, size_t I = 0>
constexpr int indexOf() {
    static_assert(I < std::tuple_size_v<PageTable>, "the page has no row in the page table");
    if constexpr (std::is_same_v<typename std::tuple_element_t<I, PageTable>::Page, Page>)
        return static_cast<int>(I);
    else
        return indexOf<Page, I + 1>();
}
}  // namespace pagetable

// Where a page sits in the page stack.
template <class Page>
constexpr int PageIndex = pagetable::indexOf<Page>();

// The function button that opens the page at `index`.
PageButton pageButton(int index);

// One function button as a device type shows it; page -1 is a disabled "预留".
struct FunctionButton {
    const char* text;
    int page;
};
using FunctionButtons = std::array<FunctionButton, kFunctionButtonCount>;
inline constexpr FunctionButton kSpareButton{"预留", -1};
// The buttons of a type code (all "预留" for a code outside the six).
const FunctionButtons& functionButtonsFor(int type);

// The table's pages, each held by value and built with no parent, in table
// order (and so destroyed in reverse).
template <class... Rows>
class PageSet;

template <>
class PageSet<> {
  public:
    template <class F>
    void forEach(F&&) {}
};

template <class Row, class... Rest>
class PageSet<Row, Rest...> {
  public:
    // `f(page)` for every page, in table order.
    template <class F>
    void forEach(F&& f) {
        f(page_);
        rest_.forEach(f);
    }

  private:
    typename Row::Page page_;
    PageSet<Rest...> rest_;
};

template <class Table>
struct PageSetOf;
template <class... Rows>
struct PageSetOf<std::tuple<Rows...>> {
    using type = PageSet<Rows...>;
};
using Pages = PageSetOf<PageTable>::type;
