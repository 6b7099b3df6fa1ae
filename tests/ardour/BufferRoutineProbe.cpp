// Calls the AVX-512F buffer routines of the installed Ardour (libardour.so.3,
// which exports them) on buffers fenced by marker values, for every pair of
// destination and source offsets within one 64-byte line and every length up
// to a little over one 1024-sample cycle, and reports the calls that write
// outside the destination's [0, length). Built and run by
// scripts/test-ardour --probe-buffer-routines; it needs a CPU with AVX-512F.

#include <cstdio>
#include <cstdlib>

extern void x86_avx512f_copy_vector (float* dst, const float* src, unsigned nframes);
extern void x86_avx512f_mix_buffers_no_gain (float* dst, const float* src, unsigned nframes);
extern void x86_avx512f_mix_buffers_with_gain (float* dst, const float* src, unsigned nframes, float gain);
extern void x86_avx512f_apply_gain_to_buffer (float* buf, unsigned nframes, float gain);

// libardour refers to these; its own programs define them.
struct _VSTState;
int vstfx_init (void*) { return 0; }
void vstfx_exit() {}
void vstfx_destroy_editor (_VSTState*) {}

namespace
{
constexpr int fence = 64;
constexpr int capacity = 2048;
constexpr unsigned longestLength = 1100;
constexpr float marker = 12345.0f;

enum class Routine
{
    copy,
    mixNoGain,
    mixWithGain,
    applyGain
};

void call (Routine routine, float* dst, const float* src, unsigned length)
{
    switch (routine)
    {
        case Routine::copy: x86_avx512f_copy_vector (dst, src, length); break;
        case Routine::mixNoGain: x86_avx512f_mix_buffers_no_gain (dst, src, length); break;
        case Routine::mixWithGain: x86_avx512f_mix_buffers_with_gain (dst, src, length, 0.5f); break;
        case Routine::applyGain: x86_avx512f_apply_gain_to_buffer (dst, length, 0.5f); break;
    }
}
} // namespace

int main()
{
    if (! __builtin_cpu_supports ("avx512f"))
    {
        std::printf ("This CPU has no AVX-512F; Ardour does not use these routines here.\n");
        return 0;
    }

    auto* dstStore = static_cast<float*> (std::aligned_alloc (64, (capacity + 2 * fence) * sizeof (float)));
    auto* srcStore = static_cast<float*> (std::aligned_alloc (64, (capacity + 2 * fence) * sizeof (float)));

    const struct
    {
        Routine routine;
        const char* name;
    } routines[] = { { Routine::copy, "x86_avx512f_copy_vector" },
                     { Routine::mixNoGain, "x86_avx512f_mix_buffers_no_gain" },
                     { Routine::mixWithGain, "x86_avx512f_mix_buffers_with_gain" },
                     { Routine::applyGain, "x86_avx512f_apply_gain_to_buffer" } };

    int faulty = 0;

    for (const auto& entry : routines)
    {
        long calls = 0, overruns = 0;
        int farthest = 0;
        unsigned example[3] = {};

        for (unsigned dstOffset = 0; dstOffset < 16; ++dstOffset)
            for (unsigned srcOffset = 0; srcOffset < 16; ++srcOffset)
            {
                if (entry.routine == Routine::applyGain && srcOffset != 0)
                    continue;

                for (unsigned length = 1; length <= longestLength; ++length)
                {
                    for (int i = 0; i < capacity + 2 * fence; ++i)
                    {
                        dstStore[i] = marker;
                        srcStore[i] = 0.25f;
                    }

                    float* dst = dstStore + fence + dstOffset;
                    call (entry.routine, dst, srcStore + fence + srcOffset, length);
                    ++calls;

                    int past = 0;
                    for (int i = (int) length; i < capacity + fence - (int) dstOffset; ++i)
                        if (dst[i] != marker)
                            past = i - (int) length + 1;
                    for (int i = -fence - (int) dstOffset; i < 0; ++i)
                        if (dst[i] != marker)
                            past = past > 0 ? past : 1;

                    if (past > 0)
                    {
                        if (overruns == 0)
                            example[0] = dstOffset, example[1] = srcOffset, example[2] = length;
                        ++overruns;
                        farthest = past > farthest ? past : farthest;
                    }
                }
            }

        if (overruns > 0)
        {
            ++faulty;
            std::printf ("%-34s writes outside the destination in %ld of %ld calls, up to %d floats past the "
                         "end (first: destination +%u floats from a 64-byte line, source +%u, %u samples)\n",
                         entry.name, overruns, calls, farthest, example[0], example[1], example[2]);
        }
        else
        {
            std::printf ("%-34s stays inside the destination in all %ld calls\n", entry.name, calls);
        }
    }

    std::free (dstStore);
    std::free (srcStore);
    return faulty > 0 ? 1 : 0;
}
