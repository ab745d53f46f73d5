#include "app/state_block_set.h"

#include "common/large_buffer.h"

#include <cstdlib>

namespace kvt {

const char* stateBlockCaption(StateBlock block)
{
    switch (block) {
    case StateBlock::OpenDialogData:
        return "*pOpenDialogData";
    case StateBlock::Options:
        return "*pKVT_Options";
    case StateBlock::NcTextBuffer:
        return "*pNC_TextBuffer";
    case StateBlock::UsedWindowData:
        return "*pUsedWindowData";
    case StateBlock::CalcList:
        return "*pMIC_CalcList";
    case StateBlock::DowelPinData:
        return "*pDowelPinData";
    }
    return "";
}

// calloc hands out zero pages lazily, so the 60 MB NC text buffer costs nothing
// until it is used.
StateBlockSet::StateBlockSet()
    : StateBlockSet([](std::size_t bytes) { return std::calloc(1, bytes); })
{
}

StateBlockSet::StateBlockSet(Allocator allocator)
    : m_allocator(std::move(allocator))
{
}

StateBlockSet::~StateBlockSet()
{
    releaseAll();
}

void*& StateBlockSet::slot(StateBlock block)
{
    switch (block) {
    case StateBlock::OpenDialogData:
        return reinterpret_cast<void*&>(m_state);
    case StateBlock::Options:
        return reinterpret_cast<void*&>(m_options);
    case StateBlock::NcTextBuffer:
        return reinterpret_cast<void*&>(m_ncText);
    case StateBlock::UsedWindowData:
        return reinterpret_cast<void*&>(m_usedWindow);
    case StateBlock::CalcList:
        return reinterpret_cast<void*&>(m_calcList);
    case StateBlock::DowelPinData:
        break;
    }
    return reinterpret_cast<void*&>(m_dowelPins);
}

std::size_t StateBlockSet::size(StateBlock block)
{
    switch (block) {
    case StateBlock::OpenDialogData:
        return sizeof(OpenDialogData);
    case StateBlock::Options:
        return sizeof(OptionsRecord);
    case StateBlock::NcTextBuffer:
        return sizeof(NcTextBuffer);
    case StateBlock::UsedWindowData:
        return sizeof(UsedWindowData);
    case StateBlock::CalcList:
        return sizeof(CalcList);
    case StateBlock::DowelPinData:
        break;
    }
    return sizeof(DowelPinData);
}

bool StateBlockSet::allocate(StateBlock block)
{
    release(block);
    void* memory = m_allocator(size(block));
    // The options record is filled whole at every start; the NC text buffer, which is
    // used a little at a time, keeps its lazily mapped small pages.
    if (memory && block == StateBlock::Options)
        adviseHugePages(memory, size(block));
    slot(block) = memory;
    return memory != nullptr;
}

void StateBlockSet::release(StateBlock block)
{
    void*& memory = slot(block);
    std::free(memory);
    memory = nullptr;
}

void StateBlockSet::releaseAll()
{
    for (StateBlock block : {StateBlock::CalcList, StateBlock::NcTextBuffer, StateBlock::OpenDialogData,
             StateBlock::UsedWindowData, StateBlock::DowelPinData, StateBlock::Options})
        release(block);
}

} // namespace kvt
