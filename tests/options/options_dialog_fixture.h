#pragma once
// A record, a central state, answered message boxes and a recorded controller for the
// options dialog forms.

#include "options/options_dialog_form.h"
#include "options_test_support.h"
#include "state/open_dialog_data.h"

#include <deque>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "app/fakes.h"

namespace kvt::test {

using AnsweringBoxes = FakeBoxes;

class OptionsDialogTest : public ::testing::Test {
protected:
    OptionsDialogTest()
        : record(newRecord())
        , state(std::make_unique<OpenDialogData>())
        , context {*state, *record, texts, boxes, clock, [this](AppMessage m) { sent.push_back(m); }}
    {
        state->languageCode = 49;
        state->startPage = 120;
        state->options = record.get();
        record->settings.calculationLevel = 1;
        record->settings.safetyValue = 0.5f;
    }

    MachineRecord& machine(int index = 0) { return record->machines[index]; }
    MachineData& data(int index = 0) { return machineData(machine(index)); }
    std::vector<float> storedSpeeds(int index = 0)
    {
        std::vector<float> speeds;
        for (float s : machine(index).speedSteps) {
            if (s != 0.0f)
                speeds.push_back(s);
        }
        return speeds;
    }

    std::unique_ptr<OptionsRecord> record;
    std::unique_ptr<OpenDialogData> state;
    BuiltinTexts texts;
    AnsweringBoxes boxes;
    FixedClock clock;
    std::vector<AppMessage> sent;
    OptionsDialogContext context;
};

} // namespace kvt::test
