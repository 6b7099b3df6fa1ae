// processBlock must not touch the heap. This binary replaces the global
// allocation functions with counting ones; they count only on the thread that
// has counting switched on, and only while it is on, so the framework's own
// threads and the test's set-up stay out of the figure.

#include "support/ProcessorRig.h"
#include "support/Signals.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <limits>
#include <new>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define QUORLIN_SANITIZER_ALLOCATOR 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
#define QUORLIN_SANITIZER_ALLOCATOR 1
#endif
#endif

namespace
{
thread_local bool countingAllocations = false;
thread_local std::size_t allocationCount = 0;

void noteAllocation() noexcept
{
    if (countingAllocations)
        ++allocationCount;
}

struct ScopedAllocationCounter
{
    ScopedAllocationCounter()
    {
        allocationCount = 0;
        countingAllocations = true;
    }

    ~ScopedAllocationCounter() { countingAllocations = false; }

    std::size_t count() const { return allocationCount; }
};

void* allocateOrThrow (std::size_t size)
{
    noteAllocation();

    if (void* memory = std::malloc (size == 0 ? 1 : size))
        return memory;

    throw std::bad_alloc();
}

void* allocateAlignedOrThrow (std::size_t size, std::align_val_t alignment)
{
    noteAllocation();

    const auto align = juce::jmax ((std::size_t) alignment, sizeof (void*));
    void* memory = nullptr;

    if (posix_memalign (&memory, align, size == 0 ? 1 : size) == 0)
        return memory;

    throw std::bad_alloc();
}
} // namespace

// Every form of the global operator new and delete, so that nothing allocated
// here is released by another allocator's delete (a sanitizer's, say).
void* operator new (std::size_t size) { return allocateOrThrow (size); }
void* operator new[] (std::size_t size) { return allocateOrThrow (size); }
void* operator new (std::size_t size, std::align_val_t alignment) { return allocateAlignedOrThrow (size, alignment); }
void* operator new[] (std::size_t size, std::align_val_t alignment) { return allocateAlignedOrThrow (size, alignment); }

void* operator new (std::size_t size, const std::nothrow_t&) noexcept
{
    noteAllocation();
    return std::malloc (size == 0 ? 1 : size);
}

void* operator new[] (std::size_t size, const std::nothrow_t& tag) noexcept { return operator new (size, tag); }

void* operator new (std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    try
    {
        return allocateAlignedOrThrow (size, alignment);
    }
    catch (...)
    {
        return nullptr;
    }
}

void* operator new[] (std::size_t size, std::align_val_t alignment, const std::nothrow_t& tag) noexcept
{
    return operator new (size, alignment, tag);
}

void operator delete (void* p) noexcept { std::free (p); }
void operator delete[] (void* p) noexcept { std::free (p); }
void operator delete (void* p, std::size_t) noexcept { std::free (p); }
void operator delete[] (void* p, std::size_t) noexcept { std::free (p); }
void operator delete (void* p, std::align_val_t) noexcept { std::free (p); }
void operator delete[] (void* p, std::align_val_t) noexcept { std::free (p); }
void operator delete (void* p, std::size_t, std::align_val_t) noexcept { std::free (p); }
void operator delete[] (void* p, std::size_t, std::align_val_t) noexcept { std::free (p); }
void operator delete (void* p, const std::nothrow_t&) noexcept { std::free (p); }
void operator delete[] (void* p, const std::nothrow_t&) noexcept { std::free (p); }
void operator delete (void* p, std::align_val_t, const std::nothrow_t&) noexcept { std::free (p); }
void operator delete[] (void* p, std::align_val_t, const std::nothrow_t&) noexcept { std::free (p); }

// JUCE's audio buffers get their storage from malloc directly, not through
// operator new, so the C allocation functions are counted as well: under a
// sanitizer through its allocation hook, otherwise by standing in front of
// glibc's allocator.
#if QUORLIN_SANITIZER_ALLOCATOR
extern "C" int __sanitizer_install_malloc_and_free_hooks (void (*) (const volatile void*, std::size_t),
                                                          void (*) (const volatile void*));

namespace
{
void sanitizerMallocHook (const volatile void*, std::size_t) { noteAllocation(); }
void sanitizerFreeHook (const volatile void*) {}

const bool mallocHookInstalled =
    __sanitizer_install_malloc_and_free_hooks (sanitizerMallocHook, sanitizerFreeHook) != 0;
} // namespace
#else
extern "C"
{
    void* __libc_malloc (std::size_t);
    void* __libc_calloc (std::size_t, std::size_t);
    void* __libc_realloc (void*, std::size_t);
    void* __libc_memalign (std::size_t, std::size_t);
    void __libc_free (void*);

    void* malloc (std::size_t size) noexcept
    {
        noteAllocation();
        return __libc_malloc (size);
    }

    void* calloc (std::size_t count, std::size_t size) noexcept
    {
        noteAllocation();
        return __libc_calloc (count, size);
    }

    void* realloc (void* p, std::size_t size) noexcept
    {
        noteAllocation();
        return __libc_realloc (p, size);
    }

    void* memalign (std::size_t alignment, std::size_t size) noexcept
    {
        noteAllocation();
        return __libc_memalign (alignment, size);
    }

    void* aligned_alloc (std::size_t alignment, std::size_t size) noexcept
    {
        noteAllocation();
        return __libc_memalign (alignment, size);
    }

    int posix_memalign (void** result, std::size_t alignment, std::size_t size) noexcept
    {
        if (alignment < sizeof (void*) || (alignment & (alignment - 1)) != 0)
            return EINVAL;

        noteAllocation();

        if (void* memory = __libc_memalign (alignment, size))
        {
            *result = memory;
            return 0;
        }

        return ENOMEM;
    }

    void free (void* p) noexcept { __libc_free (p); }
}

namespace
{
const bool mallocHookInstalled = true;
} // namespace
#endif

namespace
{
struct FixedTempoPlayHead : juce::AudioPlayHead
{
    juce::Optional<PositionInfo> getPosition() const override
    {
        PositionInfo info;
        info.setBpm (132.0);
        return info;
    }
};

// Every stage on, the cabinet included, with audible amounts.
const ParameterSettings everyStageOn { { ParamIds::gateAmount, 20.0f },    { ParamIds::driveEnabled, 1.0f },
                                       { ParamIds::driveAmount, 60.0f },   { ParamIds::toneEnabled, 1.0f },
                                       { ParamIds::toneTilt, 4.0f },       { ParamIds::cabEnabled, 1.0f },
                                       { ParamIds::spaceEnabled, 1.0f },   { ParamIds::spaceAmount, 40.0f },
                                       { ParamIds::spacePreDelay, 25.0f }, { ParamIds::modEnabled, 1.0f },
                                       { ParamIds::modAmount, 50.0f },     { ParamIds::echoEnabled, 1.0f },
                                       { ParamIds::echoAmount, 40.0f },    { ParamIds::echoDivision, 1.0f },
                                       { ParamIds::blend, 70.0f },         { ParamIds::outputTrim, -3.0f } };

// Counts what processBlock allocates over `blocks` calls with a buffer of
// `blockSize` samples of noise.
std::size_t allocationsWhileProcessing (ProcessorRig& rig, int blockSize, int blocks = 40)
{
    auto buffer = Signals::noise (2, blockSize, 0.4f);
    juce::MidiBuffer midi;
    std::size_t allocations = 0;

    for (int block = 0; block < blocks; ++block)
    {
        Signals::fillNoise (buffer, 0.4f, block);
        ScopedAllocationCounter counter;
        rig.processor.processBlock (buffer, midi);
        allocations += counter.count();
    }

    return allocations;
}

TEST (AllocationCounter, SeesOperatorNewAndMalloc)
{
    ASSERT_TRUE (mallocHookInstalled);

    ScopedAllocationCounter counter;
    delete new int (1);
    std::free (std::malloc (16));
    juce::AudioBuffer<float> buffer (2, 64);
    EXPECT_GE (counter.count(), 3u);
}

struct RealtimeCase
{
    const char* name;
    float modMode, cabMode, echoDivision;
    bool monoInput;
};

class ProcessBlockAllocations : public testing::TestWithParam<RealtimeCase>
{
};

TEST_P (ProcessBlockAllocations, NoneWithEveryStageOn)
{
    const auto setup = GetParam();
    FixedTempoPlayHead host;
    ProcessorRig rig (44100.0, 512, setup.monoInput);
    rig.processor.setPlayHead (&host);
    rig.set (everyStageOn);
    rig.set ({ { ParamIds::modMode, setup.modMode },
               { ParamIds::cabMode, setup.cabMode },
               { ParamIds::echoDivision, setup.echoDivision } });

    EXPECT_EQ (allocationsWhileProcessing (rig, 512), 0u);
    EXPECT_EQ (allocationsWhileProcessing (rig, 37), 0u); // a shorter block
}

INSTANTIATE_TEST_SUITE_P (Realtime, ProcessBlockAllocations,
                          testing::Values (RealtimeCase { "ChorusCombo", 0.0f, 0.0f, 0.0f, false },
                                           RealtimeCase { "FlangerStack", 1.0f, 1.0f, 1.0f, false },
                                           RealtimeCase { "PhaserDirect", 2.0f, 2.0f, 2.0f, false },
                                           RealtimeCase { "MonoInput", 0.0f, 0.0f, 1.0f, true }),
                          [] (const auto& info) { return std::string (info.param.name); });

TEST (ProcessBlockAllocations, NoneForABlockLongerThanPrepared)
{
    ProcessorRig rig (48000.0, 256);
    rig.set (everyStageOn);

    EXPECT_EQ (allocationsWhileProcessing (rig, 1000, 8), 0u);
}

TEST (ProcessBlockAllocations, NoneWhileBypassed)
{
    ProcessorRig rig (44100.0, 512);
    rig.set (everyStageOn);
    rig.set (ParamIds::bypass, 1.0f);

    EXPECT_EQ (allocationsWhileProcessing (rig, 512, 4), 0u);
}

TEST (ProcessBlockAllocations, NoneInTheHostsBypassOrWhenEitherBypassSwitches)
{
    ProcessorRig rig (44100.0, 512, true);
    rig.set (everyStageOn);
    auto buffer = Signals::noise (2, 512, 0.4f);
    juce::MidiBuffer midi;
    std::size_t allocations = 0;

    // Blocks shorter than the latency too, so that a hand-over spans blocks.
    for (const int size : { 512, 3, 1, 64 })
    {
        juce::AudioBuffer<float> block (buffer.getArrayOfWritePointers(), 2, 0, size);

        for (int i = 0; i < 12; ++i)
        {
            const auto bypassParameter = i % 4 == 1 ? 1.0f : 0.0f;
            rig.set (ParamIds::bypass, bypassParameter);
            Signals::fillNoise (block, 0.4f, i);

            ScopedAllocationCounter counter;
            if (i % 4 == 3)
                rig.processor.processBlockBypassed (block, midi);
            else
                rig.processor.processBlock (block, midi);
            allocations += counter.count();
        }
    }

    EXPECT_EQ (allocations, 0u);
}

// A parameter value that is not a number silences the blocks and clears every
// stage's state, block after block.
TEST (ProcessBlockAllocations, NoneWhileClearingTheStateAfterANonFiniteBlock)
{
    ProcessorRig rig (44100.0, 512);
    rig.set (everyStageOn);
    auto* parameter = rig.processor.apvts.getParameter (ParamIds::toneMidFreq);
    const auto goodValue = parameter->getValue();

    parameter->setValueNotifyingHost (std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ (allocationsWhileProcessing (rig, 512, 8), 0u);
    EXPECT_EQ (rig.processor.outputLevelDb.load(), -100.0f);

    parameter->setValueNotifyingHost (goodValue);
    EXPECT_EQ (allocationsWhileProcessing (rig, 512, 8), 0u);
    EXPECT_GT (rig.processor.outputLevelDb.load(), -40.0f);
}

TEST (ProcessBlockAllocations, NoneAtTheExtremeSampleRates)
{
    for (const double sampleRate : { 8000.0, 384000.0 })
    {
        ProcessorRig rig (sampleRate, 512);
        rig.set (everyStageOn);
        EXPECT_EQ (allocationsWhileProcessing (rig, 512, 8), 0u) << sampleRate;
    }
}
} // namespace
