#pragma once

// The host side of the VST3 conversation: the few COM objects a host hands to
// a plug-in. They live on the check program's stack for the whole run, so the
// reference counts are kept honest but never delete anything.

#include "pluginterfaces/base/funknown.h"
#include "pluginterfaces/base/ibstream.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivsthostapplication.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <string>
#include <vector>

namespace host
{
using namespace Steinberg;

// queryInterface and reference counting for an object that implements one
// interface.
template <typename Interface>
class StackObject : public Interface
{
public:
    tresult PLUGIN_API queryInterface (const TUID iid, void** obj) override
    {
        if (FUnknownPrivate::iidEqual (iid, FUnknown::iid) || FUnknownPrivate::iidEqual (iid, Interface::iid))
        {
            *obj = static_cast<Interface*> (this);
            addRef();
            return kResultOk;
        }

        *obj = nullptr;
        return kNoInterface;
    }

    uint32 PLUGIN_API addRef() override { return (uint32) ++references; }
    uint32 PLUGIN_API release() override { return (uint32) --references; }

private:
    std::atomic<int> references { 1 };
};

// ASCII text of a VST3 UTF-16 string (every text this plug-in shows is ASCII).
inline std::string toAscii (const Vst::TChar* text)
{
    std::string result;

    for (; *text != 0; ++text)
        result += (*text < 128) ? (char) *text : '?';

    return result;
}

class HostApplication : public StackObject<Vst::IHostApplication>
{
public:
    tresult PLUGIN_API getName (Vst::String128 name) override
    {
        const char* text = "Quorlin VST3 check";
        size_t i = 0;

        for (; text[i] != 0; ++i)
            name[i] = (Vst::TChar) text[i];

        name[i] = 0;
        return kResultOk;
    }

    // No host-made messages: the component and the controller are connected
    // directly, so the plug-in does not need any.
    tresult PLUGIN_API createInstance (TUID, TUID, void** obj) override
    {
        *obj = nullptr;
        return kNoInterface;
    }
};

// Records what the edit controller tells the host.
class ComponentHandler : public StackObject<Vst::IComponentHandler>
{
public:
    tresult PLUGIN_API beginEdit (Vst::ParamID) override
    {
        ++edits;
        return kResultOk;
    }
    tresult PLUGIN_API performEdit (Vst::ParamID, Vst::ParamValue) override
    {
        ++edits;
        return kResultOk;
    }
    tresult PLUGIN_API endEdit (Vst::ParamID) override
    {
        ++edits;
        return kResultOk;
    }

    tresult PLUGIN_API restartComponent (int32 flags) override
    {
        restartFlags |= flags;
        return kResultOk;
    }

    int edits = 0;
    int32 restartFlags = 0;
};

// A growable byte stream, what hosts pass to getState and setState.
class MemoryStream : public StackObject<IBStream>
{
public:
    MemoryStream() = default;
    explicit MemoryStream (std::vector<char> initialBytes)
        : bytes (std::move (initialBytes))
    {
    }

    tresult PLUGIN_API read (void* buffer, int32 numBytes, int32* numBytesRead) override
    {
        const auto available = (int64) bytes.size() - position;
        const auto count = (int32) std::max<int64> (0, std::min<int64> (numBytes, available));

        if (count > 0)
            std::memcpy (buffer, bytes.data() + position, (size_t) count);

        position += count;

        if (numBytesRead != nullptr)
            *numBytesRead = count;

        return kResultOk;
    }

    tresult PLUGIN_API write (void* buffer, int32 numBytes, int32* numBytesWritten) override
    {
        if (numBytes < 0)
            return kInvalidArgument;

        if ((size_t) (position + numBytes) > bytes.size())
            bytes.resize ((size_t) (position + numBytes));

        std::memcpy (bytes.data() + position, buffer, (size_t) numBytes);
        position += numBytes;

        if (numBytesWritten != nullptr)
            *numBytesWritten = numBytes;

        return kResultOk;
    }

    tresult PLUGIN_API seek (int64 pos, int32 mode, int64* result) override
    {
        const int64 base = mode == kIBSeekSet ? 0 : (mode == kIBSeekCur ? position : (int64) bytes.size());
        const int64 target = base + pos;

        if (target < 0)
            return kInvalidArgument;

        position = target;

        if (result != nullptr)
            *result = position;

        return kResultOk;
    }

    tresult PLUGIN_API tell (int64* pos) override
    {
        *pos = position;
        return kResultOk;
    }

    void rewind() { position = 0; }

    std::vector<char> bytes;

private:
    int64 position = 0;
};

class ParamValueQueue : public StackObject<Vst::IParamValueQueue>
{
public:
    Vst::ParamID PLUGIN_API getParameterId() override { return id; }
    int32 PLUGIN_API getPointCount() override { return (int32) points.size(); }

    tresult PLUGIN_API getPoint (int32 index, int32& sampleOffset, Vst::ParamValue& value) override
    {
        if (index < 0 || index >= (int32) points.size())
            return kInvalidArgument;

        sampleOffset = points[(size_t) index].first;
        value = points[(size_t) index].second;
        return kResultOk;
    }

    tresult PLUGIN_API addPoint (int32 sampleOffset, Vst::ParamValue value, int32& index) override
    {
        index = (int32) points.size();
        points.emplace_back (sampleOffset, value);
        return kResultOk;
    }

    Vst::ParamID id = 0;
    std::vector<std::pair<int32, Vst::ParamValue>> points;
};

// One block's incoming parameter changes.
class ParameterChanges : public StackObject<Vst::IParameterChanges>
{
public:
    int32 PLUGIN_API getParameterCount() override { return used; }

    Vst::IParamValueQueue* PLUGIN_API getParameterData (int32 index) override
    {
        return (index >= 0 && index < used) ? &queues[(size_t) index] : nullptr;
    }

    Vst::IParamValueQueue* PLUGIN_API addParameterData (const Vst::ParamID& id, int32& index) override
    {
        for (int32 i = 0; i < used; ++i)
        {
            if (queues[(size_t) i].id == id)
            {
                index = i;
                return &queues[(size_t) i];
            }
        }

        if (used == (int32) queues.size())
            return nullptr;

        index = used;
        auto& queue = queues[(size_t) used++];
        queue.id = id;
        queue.points.clear();
        return &queue;
    }

    void add (Vst::ParamID id, int32 sampleOffset, Vst::ParamValue value)
    {
        int32 index = 0;

        if (auto* queue = addParameterData (id, index))
            queue->addPoint (sampleOffset, value, index);
    }

    void clear() { used = 0; }

private:
    std::array<ParamValueQueue, 64> queues;
    int32 used = 0;
};
} // namespace host
