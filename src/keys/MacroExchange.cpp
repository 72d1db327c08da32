// SPDX-License-Identifier: GPL-2.0-or-later
#include "keys/MacroExchange.h"

#include "keys/ImportChecks.h"

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
    if (const int problem = ExchangeFileProblem(path); problem != 0) {
        result.messageText = problem;
        return result;
    }
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
    if (!MacroSettingsEncodable(macro) || !IsValidUtf8(macro.name)) {
        result.messageText = kTextImportUnreadable;
        return result;
    }
    std::vector<MacroStep> steps;
    int refused = 0;
    if (document.FindElement("macroitems")) {
        document.EnterElement();
        while (document.FindElement("item")) {
            MacroStep step;
            step.type = Number(document, "type");
            step.value = Number(document, "value");
            step.delay_time = Number(document, "delay_time");
            step.desc = document.GetAttribute("desc");
            if (!MacroStepEncodable(step) || !IsValidUtf8(step.desc)) {
                ++refused;
                continue;
            }
            step.record_index = static_cast<int>(steps.size());
            steps.push_back(step);
            if (static_cast<int>(steps.size()) > kMostImportedMacroSteps) {
                result.messageText = kTextImportMacroTooLong;
                return result;
            }
        }
        document.LeaveElement();
    }
    // The macro and its steps together or not at all.
    ProfileDatabase::Batch batch(database);
    result.macroId = database.AddMacroWithSettings(macro);
    if (result.macroId > 0) {
        for (MacroStep& step : steps) {
            step.macro_id = result.macroId;
        }
        database.AddMacroSteps(steps);
    }
    if (result.macroId <= 0 || !batch.Commit()) {
        result.macroId = 0;
        result.messageText = kTextImportUnreadable;
        return result;
    }
    result.steps = static_cast<int>(steps.size());
    if (refused > 0) {
        result.leftOut = refused;
        result.messageText = kTextImportItemsLeftOut;
    }
    return result;
}

}  // namespace zephyl
