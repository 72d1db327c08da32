// SPDX-License-Identifier: GPL-2.0-or-later
#include "glint/ControlFactory.h"

#include "glint/Glint.h"
#include "glint/ImageView.h"
#include "glint/ImageViewList.h"
#include "glint/LCDViewCtrl.h"
#include "glint/LCDViewList.h"

#include <map>
#include <mutex>

namespace zephyl::glint {
namespace {

struct Table {
    std::mutex mutex;
    std::map<std::string, ControlFactory::Creator, std::less<>> creators;
};

template <class... T>
void RegisterAll(std::map<std::string, ControlFactory::Creator, std::less<>>& creators) {
    ((creators[T::kClassName] = [](MDialog* owner, int id, QWidget* parent) -> MControl* {
         return new T(owner, id, parent);
     }),
     ...);
}

Table& TheTable() {
    static Table* table = [] {
        auto* built = new Table;
        RegisterAll<MText, MPicture, CGifPicture, CArea, MButton, CImageButton, CTextButton,
                    CHelpButton, UpgradeButton, CCheckButton, CRadioButton, KeyLayerButton, MEdit,
                    MSlider, MProgress, CColorButton, CirclePalette, LCDPalette2, LCDPalette3,
                    BatteryCtrl, CDeviceCtrl, CDeviceList, MTabCtrl, MTabLayout, MListBox,
                    MComboBox, KeyboardCtrl, CustomLightMode, KeyFuncControl, CRecordList,
                    LCDViewCtrl, LCDViewList, ImageViewList, ImageView>(built->creators);
        return built;
    }();
    return *table;
}

}  // namespace

MControl* ControlFactory::Create(std::string_view className, MDialog* owner, int id,
                                 QWidget* parent) {
    Creator creator;
    {
        Table& table = TheTable();
        std::lock_guard lock(table.mutex);
        const auto found = table.creators.find(className);
        if (found == table.creators.end()) {
            return nullptr;
        }
        creator = found->second;
    }
    return creator(owner, id, parent);
}

void ControlFactory::Register(const std::string& className, Creator creator) {
    Table& table = TheTable();
    std::lock_guard lock(table.mutex);
    table.creators[className] = std::move(creator);
}

std::vector<std::string> ControlFactory::ClassNames() {
    Table& table = TheTable();
    std::lock_guard lock(table.mutex);
    std::vector<std::string> names;
    for (const auto& entry : table.creators) {
        names.push_back(entry.first);
    }
    return names;
}

}  // namespace zephyl::glint
