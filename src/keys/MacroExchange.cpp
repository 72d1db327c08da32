// SPDX-License-Identifier: GPL-2.0-or-later
#include "keys/MacroExchange.h"

#include "keys/KeyTable.h"
#include "keys/KeyTexts.h"
#include "store/ConfigValues.h"
#include "store/ProfileDatabase.h"
#include "xml/XmlDocument.h"

#include <vector>

namespace zephyl {
namespace {

int Number(const XmlDocument& document, const char* name) {
    return ParseConfigNumber(document.GetAttribute(name));
}

void FillMacroDocument(XmlDocument& document, const Macro& macro,
                       std::span<const MacroStep> steps) {
    document.SetText(XmlDocument::kDeclaration);
    document.AddElement("macro");
    document.EnterElement();
    document.AddElement("macroinfo");
    document.SetAttribute("name", macro.name);
    document.SetAttribute("times", macro.play_times);
    document.SetAttribute("type", macro.delay_type);
    document.SetAttribute("delaytime", macro.delay_time);
    document.AddElement("macroitems");
    document.EnterElement();
    for (const MacroStep& step : steps) {
        document.AddElement("item");
        document.SetAttribute("desc", step.desc);
        document.SetAttribute("type", step.type);
        document.SetAttribute("value", step.value);
        document.SetAttribute("delay_time", step.delay_time);
    }
}

}  // namespace

std::string MacroDocument(const Macro& macro, std::span<const MacroStep> steps) {
    XmlDocument document;
    FillMacroDocument(document, macro, steps);
    return document.TextUtf8();
}

bool ExportMacro(ProfileDatabase& database, int id, const std::string& path) {
    Macro macro;
    database.GetMacro(id, macro);
    std::vector<MacroStep> steps;
    database.ListMacroSteps(id, steps);
    XmlDocument document;
    FillMacroDocument(document, macro, steps);
    return document.Save(path);
}

MacroImport ImportMacro(ProfileDatabase& database, const std::string& path) {
    MacroImport result;
    XmlDocument document;
    if (!document.Load(path) || !document.FindElement("macro")) {
        result.messageText = kTextImportUnreadable;
        return result;
    }
    result.read = true;
    std::vector<Macro> macros;
    if (database.ListMacros(macros) >= static_cast<int>(kMacroTableEntries)) {
        result.messageText = kTextTooManyMacros;
        return result;
    }
    document.EnterElement();
    Macro macro;
    if (document.FindElement("macroinfo")) {
        macro.name = document.GetAttribute("name");
        macro.play_times = Number(document, "times");
        macro.delay_type = Number(document, "type");
        macro.delay_time = Number(document, "delaytime");
    }
    result.name = macro.name;
    result.macroId = database.AddMacroWithSettings(macro);
    if (result.macroId > 0 && document.FindElement("macroitems")) {
        document.EnterElement();
        std::vector<MacroStep> steps;
        while (document.FindElement("item")) {
            MacroStep step;
            step.macro_id = result.macroId;
            step.type = Number(document, "type");
            step.value = Number(document, "value");
            step.delay_time = Number(document, "delay_time");
            step.desc = document.GetAttribute("desc");
            step.record_index = static_cast<int>(steps.size());
            steps.push_back(step);
        }
        document.LeaveElement();
        database.AddMacroSteps(steps);
        result.steps = static_cast<int>(steps.size());
    }
    return result;
}

}  // namespace zephyl
