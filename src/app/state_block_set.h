#pragma once
// Owns the state blocks of a run: the central state, the options record, the NC text
// buffer and the working blocks of some windows. Each block is one zero-filled
// allocation; allocating again gives a fresh zero-filled block, releasing twice does
// nothing.

#include "options/options_record.h"
#include "state/open_dialog_data.h"
#include "state/state_blocks.h"

#include <cstddef>
#include <functional>

namespace kvt {

enum class StateBlock { OpenDialogData, Options, NcTextBuffer, UsedWindowData, CalcList, DowelPinData };

// The caption of the allocation failure message for a block, e.g. "*pKVT_Options".
const char* stateBlockCaption(StateBlock block);

class StateBlockSet {
public:
    // Returns zero-filled memory of the given size, or nullptr. Tests replace it to
    // make an allocation fail.
    using Allocator = std::function<void*(std::size_t)>;

    StateBlockSet();
    explicit StateBlockSet(Allocator allocator);
    ~StateBlockSet();
    StateBlockSet(const StateBlockSet&) = delete;
    StateBlockSet& operator=(const StateBlockSet&) = delete;

    // Releases the block if it exists and allocates it afresh; false when the memory
    // could not be had (the block is then absent).
    bool allocate(StateBlock block);
    void release(StateBlock block);
    // Releases every block in the order the program has always used.
    void releaseAll();

    OpenDialogData* state() const { return m_state; }
    OptionsRecord* options() const { return m_options; }
    NcTextBuffer* ncTextBuffer() const { return m_ncText; }
    UsedWindowData* usedWindowData() const { return m_usedWindow; }
    CalcList* calcList() const { return m_calcList; }
    DowelPinData* dowelPinData() const { return m_dowelPins; }

private:
    void*& slot(StateBlock block);
    static std::size_t size(StateBlock block);

    Allocator m_allocator;
    OpenDialogData* m_state = nullptr;
    OptionsRecord* m_options = nullptr;
    NcTextBuffer* m_ncText = nullptr;
    UsedWindowData* m_usedWindow = nullptr;
    CalcList* m_calcList = nullptr;
    DowelPinData* m_dowelPins = nullptr;
};

} // namespace kvt
