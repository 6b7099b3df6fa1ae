// A minimal VST3 host that puts the built Tessarwood Quorlin module through
// what a host does with it: factory and class information, component and
// controller, the parameter list, processing with automation, latency and
// tail, state save and restore, damaged states, and (on Windows) the editor on
// a window.
//
// The same source is built for Linux and for Windows. The Linux run writes its
// results (class information, parameter list, processed audio, state chunk)
// into a folder; the Windows run, under Wine, writes its own and compares them
// with the Linux ones: both builds run the same plug-in code, so they must
// agree whatever the effect chain does.
//
//   QuorlinVst3Check <bundle.vst3> --out <dir> [--reference <dir>]

#include "CheckReport.h"
#include "EditorCheck.h"
#include "HostObjects.h"
#include "PluginModule.h"

#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstmessage.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"
#include "pluginterfaces/vst/vstspeaker.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

using namespace Steinberg;

namespace
{
constexpr double sampleRate = 48000.0;
constexpr int32 maxBlockSize = 512;
constexpr int totalSamples = 96000; // two seconds
constexpr int numChannels = 2;

// Blocks of uneven length, as hosts send them around loop points and
// automation; never more than maxBlockSize.
constexpr int32 blockPattern[] = { 256, 256, 100, 512, 37, 256, 480, 256 };

constexpr Vst::ParamID hostBypassId = 0x62797073; // "byps"

// The parameter list a host must see, in order: identifier, display name,
// unit, and the default as a plain value with the range that normalises it.
struct ExpectedParameter
{
    const char* identifier;
    const char* title;
    const char* units;
    double defaultNormalised;
};

double linear (double value, double start, double end) { return (value - start) / (end - start); }
double skewed (double value, double start, double end, double skew)
{
    return std::pow (linear (value, start, end), skew);
}

const std::vector<ExpectedParameter>& expectedParameters()
{
    static const std::vector<ExpectedParameter> list {
        { "inputTrim", "Input", "dB", linear (0.0, -24.0, 24.0) },
        { "gateAmount", "Gate", "%", 0.0 },
        { "gateMode", "Gate Character", "", 0.0 },
        { "driveAmount", "Drive", "%", 0.0 },
        { "driveMode", "Drive Character", "", 0.0 },
        { "driveEnabled", "Drive Enabled", "", 1.0 },
        { "toneTilt", "Tone", "dB", linear (0.0, -12.0, 12.0) },
        { "toneMode", "Tone Character", "", 0.5 },
        { "toneMidFreq", "Mid Sweep", "Hz", skewed (800.0, 300.0, 3000.0, 0.4) },
        { "toneEnabled", "Tone Enabled", "", 1.0 },
        { "cabMode", "Cab Character", "", 0.0 },
        { "cabEnabled", "Cab Enabled", "", 0.0 },
        { "modAmount", "Modulation", "%", 0.0 },
        { "modMode", "Modulation Character", "", 0.0 },
        { "modRate", "Mod Rate", "Hz", skewed (0.8, 0.1, 5.0, 0.5) },
        { "modEnabled", "Mod Enabled", "", 1.0 },
        { "spaceAmount", "Space", "%", 0.0 },
        { "spaceMode", "Space Character", "", 0.0 },
        { "spacePreDelay", "Space Pre-Delay", "ms", 0.0 },
        { "spaceEnabled", "Space Enabled", "", 1.0 },
        { "echoAmount", "Echo", "%", 0.0 },
        { "echoDivision", "Echo Division", "", 0.0 },
        { "echoFeedback", "Echo Feedback", "%", 0.35 },
        { "echoEnabled", "Echo Enabled", "", 1.0 },
        { "blend", "Blend", "%", 1.0 },
        { "outputTrim", "Output", "dB", linear (0.0, -60.0, 24.0) },
        { "bypass", "Bypass", "", 0.0 },
    };
    return list;
}

// The host-facing ID of a parameter: the 31-bit hash of its identifier.
Vst::ParamID parameterId (const char* identifier)
{
    uint32_t hash = 0;

    for (auto* c = identifier; *c != 0; ++c)
        hash = 31u * hash + (uint32_t) (unsigned char) *c;

    return (Vst::ParamID) (hash & 0x7FFFFFFFu);
}

std::string hex (uint32_t value)
{
    char text[16];
    std::snprintf (text, sizeof (text), "0x%08X", value);
    return text;
}

std::string exact (double value)
{
    char text[40];
    std::snprintf (text, sizeof (text), "%.17g", value);
    return text;
}

// A class ID in its platform-independent form: the four 32-bit words. (The
// bytes of a TUID are ordered differently on Windows, for COM.)
std::string cidText (const TUID cid)
{
    const auto uid = FUID::fromTUID (cid);
    char text[40];
    std::snprintf (text, sizeof (text), "%08X%08X%08X%08X", (unsigned) uid.getLong1(), (unsigned) uid.getLong2(),
                   (unsigned) uid.getLong3(), (unsigned) uid.getLong4());
    return text;
}

// A fact key from a text that may hold spaces.
std::string keyText (std::string text)
{
    for (auto& c : text)
        if (c == ' ')
            c = '_';

    return text;
}

// Results that are compared between the two builds, one "key value" per line.
using Facts = std::map<std::string, std::string>;

//==============================================================================
// The guitar-like test input: a decaying sawtooth plucked every half second,
// a quiet stretch for the gate, and a little noise. Only float arithmetic on
// both builds, no library maths, so both feed the plug-in the same bits.
class TestSignal
{
public:
    void next (float& left, float& right)
    {
        if (sampleIndex % 24000 == 0)
            envelope = 0.8f;

        envelope *= 0.99985f;

        phaseLeft += 110.0f / 48000.0f;
        phaseRight += 164.81f / 48000.0f;

        if (phaseLeft >= 1.0f)
            phaseLeft -= 1.0f;
        if (phaseRight >= 1.0f)
            phaseRight -= 1.0f;

        const float quiet = (sampleIndex >= 62000 && sampleIndex < 72000) ? 0.0f : 1.0f;
        left = quiet * envelope * (2.0f * phaseLeft - 1.0f) + 0.004f * noise();
        right = quiet * envelope * (1.0f - 2.0f * phaseRight) + 0.004f * noise();
        ++sampleIndex;
    }

private:
    float noise()
    {
        noiseState = noiseState * 1664525u + 1013904223u;
        return (float) (noiseState >> 8) * (2.0f / 16777216.0f) - 1.0f;
    }

    int sampleIndex = 0;
    float envelope = 0.0f, phaseLeft = 0.0f, phaseRight = 0.25f;
    uint32_t noiseState = 12345u;
};

// The settings and automation both builds are given: a fixed set at the
// start, three ramps across the run, a change of characters half way, and a
// stretch of each bypass. Values are normalised.
class AutomationProgram
{
public:
    void fill (host::ParameterChanges& changes, int blockStart, int32 blockLength)
    {
        changes.clear();

        if (blockStart == 0)
        {
            set (changes, "inputTrim", 0.55);
            set (changes, "gateAmount", 0.15);
            set (changes, "gateMode", 0.5);
            set (changes, "driveMode", 0.5);
            set (changes, "toneTilt", 0.6);
            set (changes, "toneMode", 1.0);
            set (changes, "toneMidFreq", 0.4);
            set (changes, "cabEnabled", 1.0);
            set (changes, "cabMode", 0.5);
            set (changes, "modAmount", 0.4);
            set (changes, "modMode", 0.5);
            set (changes, "spaceAmount", 0.3);
            set (changes, "spaceMode", 1.0);
            set (changes, "spacePreDelay", 0.1);
            set (changes, "echoAmount", 0.35);
            set (changes, "echoDivision", 0.5);
            set (changes, "echoFeedback", 0.4);
            set (changes, "outputTrim", 0.65);
        }

        const double start = (double) blockStart / totalSamples;
        const double end = (double) (blockStart + blockLength) / totalSamples;
        ramp (changes, "driveAmount", 0.2 + 0.5 * start, 0.2 + 0.5 * end, blockLength);
        ramp (changes, "modRate", 0.2 + 0.4 * start, 0.2 + 0.4 * end, blockLength);
        ramp (changes, "blend", 1.0 - 0.4 * start, 1.0 - 0.4 * end, blockLength);

        if (blockStart >= totalSamples / 2 && ! secondHalf)
        {
            secondHalf = true;
            set (changes, "driveMode", 1.0);
            set (changes, "modMode", 1.0);
            set (changes, "echoDivision", 1.0);
        }

        switchAt (changes, parameterId ("bypass"), processorBypass, blockStart >= 76800 && blockStart < 81600);
        switchAt (changes, hostBypassId, hostBypass, blockStart >= 86400 && blockStart < 88800);
    }

    // The last value the program gave each parameter.
    std::map<Vst::ParamID, double> lastValues;

private:
    void set (host::ParameterChanges& changes, const char* identifier, double value)
    {
        changes.add (parameterId (identifier), 0, value);
        lastValues[parameterId (identifier)] = value;
    }

    void ramp (host::ParameterChanges& changes, const char* identifier, double from, double to, int32 blockLength)
    {
        changes.add (parameterId (identifier), 0, from);
        changes.add (parameterId (identifier), blockLength - 1, to);
        lastValues[parameterId (identifier)] = to;
    }

    void switchAt (host::ParameterChanges& changes, Vst::ParamID id, bool& state, bool on)
    {
        if (state == on)
            return;

        state = on;
        changes.add (id, 0, on ? 1.0 : 0.0);
        lastValues[id] = on ? 1.0 : 0.0;
    }

    bool secondHalf = false, processorBypass = false, hostBypass = false;
};

//==============================================================================
// One plug-in instance as a host holds it: component, its audio processor and
// the edit controller, connected to each other.
struct Instance
{
    Vst::IComponent* component = nullptr;
    Vst::IAudioProcessor* processor = nullptr;
    Vst::IEditController* controller = nullptr;
    Vst::IConnectionPoint* componentPoint = nullptr;
    Vst::IConnectionPoint* controllerPoint = nullptr;
    bool componentReady = false, controllerReady = false, connected = false;

    bool create (IPluginFactory& factory, const TUID componentCid, host::HostApplication& hostApp,
                 host::ComponentHandler& handler)
    {
        if (factory.createInstance (componentCid, Vst::IComponent::iid, (void**) &component) != kResultOk ||
            component == nullptr)
            return false;

        componentReady = component->initialize (&hostApp) == kResultOk;
        component->queryInterface (Vst::IAudioProcessor::iid, (void**) &processor);

        TUID controllerCid {};

        if (component->getControllerClassId (controllerCid) != kResultOk)
            return false;

        if (factory.createInstance (controllerCid, Vst::IEditController::iid, (void**) &controller) != kResultOk ||
            controller == nullptr)
            return false;

        controllerReady = controller->initialize (&hostApp) == kResultOk;
        controller->setComponentHandler (&handler);

        component->queryInterface (Vst::IConnectionPoint::iid, (void**) &componentPoint);
        controller->queryInterface (Vst::IConnectionPoint::iid, (void**) &controllerPoint);

        if (componentPoint != nullptr && controllerPoint != nullptr)
            connected = componentPoint->connect (controllerPoint) == kResultOk &&
                        controllerPoint->connect (componentPoint) == kResultOk;

        return componentReady && controllerReady && processor != nullptr && connected;
    }

    void destroy()
    {
        if (connected)
        {
            componentPoint->disconnect (controllerPoint);
            controllerPoint->disconnect (componentPoint);
        }

        for (auto** point : { &componentPoint, &controllerPoint })
            if (*point != nullptr)
                std::exchange (*point, nullptr)->release();

        if (controller != nullptr)
        {
            controller->setComponentHandler (nullptr);
            controller->terminate();
            std::exchange (controller, nullptr)->release();
        }

        if (processor != nullptr)
            std::exchange (processor, nullptr)->release();

        if (component != nullptr)
        {
            component->terminate();
            std::exchange (component, nullptr)->release();
        }
    }
};

// One block's stereo input and output, wired as the host's single input and
// output bus.
struct StereoBlock
{
    StereoBlock()
    {
        inBus.numChannels = numChannels;
        inBus.channelBuffers32 = inputs;
        outBus.numChannels = numChannels;
        outBus.channelBuffers32 = outputs;
    }

    StereoBlock (const StereoBlock&) = delete;
    StereoBlock& operator= (const StereoBlock&) = delete;

    Vst::ProcessData processData (int32 numSamples, Vst::IParameterChanges& changes, Vst::ProcessContext& context)
    {
        Vst::ProcessData data;
        data.processMode = Vst::kRealtime;
        data.symbolicSampleSize = Vst::kSample32;
        data.numSamples = numSamples;
        data.numInputs = 1;
        data.numOutputs = 1;
        data.inputs = &inBus;
        data.outputs = &outBus;
        data.inputParameterChanges = &changes;
        data.processContext = &context;
        return data;
    }

    std::vector<float> left = std::vector<float> ((size_t) maxBlockSize), right = left, outLeft = left, outRight = left;
    float* inputs[2] = { left.data(), right.data() };
    float* outputs[2] = { outLeft.data(), outRight.data() };
    Vst::AudioBusBuffers inBus, outBus;
};

// A stretch of audio outside the compared run, for the editor check: the
// instance is activated again (its processing setup stays as it was), fed a
// stereo sine of the given peak in full blocks with no parameter changes, and
// deactivated.
bool processSine (Vst::IComponent& component, Vst::IAudioProcessor& processor, float peak, int samples)
{
    if (component.setActive (true) != kResultOk)
        return false;

    processor.setProcessing (true);

    StereoBlock block;
    host::ParameterChanges noChanges;
    Vst::ProcessContext context {};
    context.state = Vst::ProcessContext::kTempoValid;
    context.sampleRate = sampleRate;
    context.tempo = 120.0;

    const float step = 2.0f * 3.14159265f * 220.0f / (float) sampleRate;
    int failedCalls = 0;

    for (int position = 0; position < samples; position += maxBlockSize)
    {
        for (int32 i = 0; i < maxBlockSize; ++i)
            block.left[(size_t) i] = block.right[(size_t) i] =
                peak * std::sin (step * (float) ((position + i) % 48000));

        context.projectTimeSamples = position;
        auto data = block.processData (maxBlockSize, noChanges, context);
        failedCalls += processor.process (data) != kResultOk;
    }

    processor.setProcessing (false);
    return component.setActive (false) == kResultOk && failedCalls == 0;
}

//==============================================================================
// Component states with damaged or crafted private data: the processor's
// chunk, then the VST3 client's trailer (8 zero bytes, its value tree, the
// tree's stored size, "JUCEPrivateData") with a size that does not fit or a
// tree that is not the host bypass the client writes. Each must restore as if
// it had no private data.
void appendInt64 (std::vector<char>& bytes, uint64_t value)
{
    for (int i = 0; i < 8; ++i)
        bytes.push_back ((char) (value >> (8 * i)));
}

void appendText (std::vector<char>& bytes, const std::string& text, bool withZero)
{
    bytes.insert (bytes.end(), text.begin(), text.end());

    if (withZero)
        bytes.push_back (0);
}

const char* const damagedStateDocument = "<?xml version=\"1.0\" encoding=\"UTF-8\"?> <PARAMETERS manualBpm=\"88\">"
                                         "<PARAM id=\"blend\" value=\"33\"/></PARAMETERS>";

std::vector<char> damagedComponentState (const std::vector<char>& tree, uint64_t storedSize)
{
    const std::string text (damagedStateDocument);
    std::vector<char> bytes;
    appendText (bytes, "VC2!", false);
    for (int i = 0; i < 4; ++i)
        bytes.push_back ((char) (text.size() >> (8 * i)));
    appendText (bytes, text, true);
    appendInt64 (bytes, 0);
    bytes.insert (bytes.end(), tree.begin(), tree.end());
    appendInt64 (bytes, storedSize);
    appendText (bytes, "JUCEPrivateData", false);
    return bytes;
}

std::vector<std::pair<std::string, std::vector<char>>> damagedComponentStates()
{
    // The client's tree as it writes it, in the framework's binary form: type,
    // one property "Bypass" holding false, no children.
    std::vector<char> bypassTree;
    appendText (bypassTree, "JUCEPrivateData", true);
    bypassTree.insert (bypassTree.end(), { 1, 1 });
    appendText (bypassTree, "Bypass", true);
    bypassTree.insert (bypassTree.end(), { 1, 1, 3, 0 });

    // The same property as an array that claims 2^31 - 1 values and holds none.
    std::vector<char> arrayTree;
    appendText (arrayTree, "JUCEPrivateData", true);
    arrayTree.insert (arrayTree.end(), { 1, 1 });
    appendText (arrayTree, "Bypass", true);
    arrayTree.insert (arrayTree.end(), { 1, 5, 7, 4, (char) 0xff, (char) 0xff, (char) 0xff, 0x7f, 0 });

    const auto total = (uint64_t) damagedComponentState (bypassTree, 0).size();

    return {
        { "a size of 2^28", damagedComponentState (bypassTree, (uint64_t) 1 << 28) },
        { "a size one byte more than the state holds", damagedComponentState (bypassTree, total - 30) },
        { "a size that wraps round to zero", damagedComponentState (bypassTree, ~(uint64_t) 0 - 22) },
        { "the largest size", damagedComponentState (bypassTree, ~(uint64_t) 0) },
        { "a tree claiming 2^31 - 1 values", damagedComponentState (arrayTree, (uint64_t) arrayTree.size()) },
    };
}

struct Arguments
{
    std::string bundle, outDir, referenceDir;
};

bool parseArguments (int argc, char** argv, Arguments& args)
{
    for (int i = 1; i < argc; ++i)
    {
        const std::string arg = argv[i];

        if (arg == "--out" && i + 1 < argc)
            args.outDir = argv[++i];
        else if (arg == "--reference" && i + 1 < argc)
            args.referenceDir = argv[++i];
        else if (args.bundle.empty())
            args.bundle = arg;
        else
            return false;
    }

    return ! args.bundle.empty() && ! args.outDir.empty();
}

std::string filePath (const std::string& dir, const std::string& name)
{
#if defined(_WIN32)
    return host::PluginModule::toWindowsPath (dir) + "\\" + name;
#else
    return dir + "/" + name;
#endif
}

bool writeFile (const std::string& path, const void* data, size_t size)
{
    std::ofstream file (path, std::ios::binary);
    file.write (static_cast<const char*> (data), (std::streamsize) size);
    return (bool) file;
}

bool readFile (const std::string& path, std::vector<char>& bytes)
{
    std::ifstream file (path, std::ios::binary);

    if (! file)
        return false;

    bytes.assign (std::istreambuf_iterator<char> (file), std::istreambuf_iterator<char>());
    return true;
}

void writeFacts (const std::string& path, const Facts& facts)
{
    std::ofstream file (path);

    for (auto& [key, value] : facts)
        file << key << ' ' << value << '\n';
}

Facts readFacts (const std::string& path)
{
    Facts facts;
    std::ifstream file (path);
    std::string line;

    while (std::getline (file, line))
    {
        const auto space = line.find (' ');

        if (space != std::string::npos)
            facts[line.substr (0, space)] = line.substr (space + 1);
    }

    return facts;
}

// Compares the facts whose keys start with prefix; returns the differences.
std::vector<std::string> differences (const Facts& ours, const Facts& theirs, const std::string& prefix)
{
    std::vector<std::string> found;
    std::map<std::string, int> keys;

    for (auto& entry : ours)
        if (entry.first.rfind (prefix, 0) == 0)
            keys[entry.first] |= 1;
    for (auto& entry : theirs)
        if (entry.first.rfind (prefix, 0) == 0)
            keys[entry.first] |= 2;

    for (auto& [key, where] : keys)
    {
        const std::string mine = (where & 1) ? ours.at (key) : "(missing)";
        const std::string other = (where & 2) ? theirs.at (key) : "(missing)";

        if (mine != other)
            found.push_back (key + ": " + mine + " here, " + other + " on Linux");
    }

    return found;
}
} // namespace

//==============================================================================
int main (int argc, char** argv)
{
#if defined(_WIN32)
    host::CheckReport report ("windows");
#else
    host::CheckReport report ("linux");
#endif

    Arguments args;

    if (! parseArguments (argc, argv, args))
    {
        std::fprintf (stderr, "usage: %s <bundle.vst3> --out <dir> [--reference <dir>]\n", argv[0]);
        return 2;
    }

    Facts facts;

    // ---- Module and factory
    host::PluginModule module (args.bundle);

    if (! report.check (module.isLoaded(), "module loads",
                        module.binaryPath + (module.error.empty() ? "" : " (" + module.error + ")")))
        return report.finish();

    report.check (module.hasEntryPoints, "module exports GetPluginFactory and its entry and exit functions");
    report.check (module.entered, "module entry function returns true");

    IPluginFactory* factory = module.createFactory();

    if (! report.check (factory != nullptr, "GetPluginFactory returns a factory"))
        return report.finish();

    PFactoryInfo factoryInfo;
    factory->getFactoryInfo (&factoryInfo);
    report.check (std::string (factoryInfo.vendor) == "tessarwood", "factory vendor", factoryInfo.vendor);
    report.check (std::string (factoryInfo.email).empty(), "factory e-mail is empty");
    report.check ((factoryInfo.flags & PFactoryInfo::kUnicode) != 0, "factory has the Unicode flag");
    facts["factory.vendor"] = factoryInfo.vendor;
    facts["factory.url"] = factoryInfo.url;
    facts["factory.email"] = factoryInfo.email;
    facts["factory.flags"] = std::to_string (factoryInfo.flags);

    IPluginFactory2* factory2 = nullptr;
    factory->queryInterface (IPluginFactory2::iid, (void**) &factory2);
    report.check (factory2 != nullptr, "factory gives extended class information (IPluginFactory2)");

    const int32 classCount = factory->countClasses();
    facts["factory.classes"] = std::to_string (classCount);
    TUID componentCid {};
    bool foundComponent = false, foundController = false;

    for (int32 i = 0; i < classCount && factory2 != nullptr; ++i)
    {
        PClassInfo2 info;

        if (factory2->getClassInfo2 (i, &info) != kResultOk)
            continue;

        const std::string category = info.category;
        const std::string key = "class." + keyText (category) + ".";
        facts[key + "cid"] = cidText (info.cid);
        facts[key + "name"] = info.name;
        facts[key + "subCategories"] = info.subCategories;
        facts[key + "vendor"] = info.vendor;
        facts[key + "version"] = info.version;
        facts[key + "sdkVersion"] = info.sdkVersion;
        facts[key + "classFlags"] = std::to_string (info.classFlags);
        facts[key + "cardinality"] = std::to_string (info.cardinality);
        report.note ("class " + std::to_string (i) + ": \"" + category + "\" \"" + info.name + "\" sub-category \"" +
                     info.subCategories + "\" version " + info.version + ", " + info.sdkVersion);

        const bool named = std::string (info.name) == "Tessarwood Quorlin" &&
                           std::string (info.vendor) == "tessarwood" && std::string (info.version) == "0.0.1" &&
                           info.classFlags == 0 && info.cardinality == PClassInfo::kManyInstances;

        if (category == kVstAudioEffectClass)
        {
            foundComponent = true;
            std::memcpy (componentCid, info.cid, sizeof (TUID));
            report.check (named && std::string (info.subCategories) == "Fx",
                          "audio component class: \"Tessarwood Quorlin\", tessarwood, 0.0.1, sub-category Fx, flags 0");
        }
        else if (category == kVstComponentControllerClass)
        {
            foundController = true;
            report.check (named && std::string (info.subCategories) == "Fx",
                          "edit controller class: \"Tessarwood Quorlin\", tessarwood, 0.0.1, sub-category Fx, flags 0");
        }
    }

    report.check (foundComponent && foundController, "factory lists the audio component and the edit controller",
                  std::to_string (classCount) + " classes");

    if (factory2 != nullptr)
        factory2->release();

    if (! foundComponent)
    {
        factory->release();
        return report.finish();
    }

    // ---- Component and controller
    host::HostApplication hostApp;
    host::ComponentHandler handler;
    Instance instance;

    if (! report.check (instance.create (*factory, componentCid, hostApp, handler),
                        "component and controller are created, initialised and connected"))
    {
        instance.destroy();
        factory->release();
        return report.finish();
    }

    auto* component = instance.component;
    auto* processor = instance.processor;
    auto* controller = instance.controller;

    // ---- Buses
    {
        const bool counts = component->getBusCount (Vst::kAudio, Vst::kInput) == 1 &&
                            component->getBusCount (Vst::kAudio, Vst::kOutput) == 1 &&
                            component->getBusCount (Vst::kEvent, Vst::kInput) == 0 &&
                            component->getBusCount (Vst::kEvent, Vst::kOutput) == 0;
        Vst::BusInfo input {}, output {};
        component->getBusInfo (Vst::kAudio, Vst::kInput, 0, input);
        component->getBusInfo (Vst::kAudio, Vst::kOutput, 0, output);
        const std::string inName = host::toAscii (input.name), outName = host::toAscii (output.name);
        report.check (counts && inName == "Input" && outName == "Output" && input.channelCount == 2 &&
                          output.channelCount == 2 && input.busType == Vst::kMain && output.busType == Vst::kMain,
                      "buses: stereo main input \"Input\", stereo main output \"Output\", no event buses",
                      "\"" + inName + "\" " + std::to_string (input.channelCount) + " ch, \"" + outName + "\" " +
                          std::to_string (output.channelCount) + " ch");
        facts["bus.input"] = inName + " " + std::to_string (input.channelCount) + " " + std::to_string (input.flags);
        facts["bus.output"] =
            outName + " " + std::to_string (output.channelCount) + " " + std::to_string (output.flags);
    }

    // ---- Parameters
    {
        const auto& expected = expectedParameters();
        const int32 count = controller->getParameterCount();
        facts["param.count"] = std::to_string (count);
        report.check (count == (int32) expected.size() + 1, "controller lists 28 parameters", std::to_string (count));

        int wrongIds = 0, wrongTitles = 0, wrongUnits = 0, wrongDefaults = 0;

        for (int32 i = 0; i < count; ++i)
        {
            Vst::ParameterInfo info {};
            controller->getParameterInfo (i, info);
            const std::string title = host::toAscii (info.title), units = host::toAscii (info.units);

            char line[200];
            std::snprintf (line, sizeof (line), "%2d %s %-22s %-3s default %.6f steps %d flags 0x%X", (int) i,
                           hex (info.id).c_str(), ("\"" + title + "\"").c_str(), units.c_str(),
                           info.defaultNormalizedValue, (int) info.stepCount, (unsigned) info.flags);
            report.note (line);

            const std::string key = "param." + (i < 10 ? "0" + std::to_string (i) : std::to_string (i)) + ".";
            facts[key + "id"] = hex (info.id);
            facts[key + "title"] = title;
            facts[key + "shortTitle"] = host::toAscii (info.shortTitle);
            facts[key + "units"] = units;
            facts[key + "stepCount"] = std::to_string (info.stepCount);
            facts[key + "default"] = exact (info.defaultNormalizedValue);
            facts[key + "flags"] = std::to_string (info.flags);
            facts[key + "unitId"] = std::to_string (info.unitId);

            if (i < (int32) expected.size())
            {
                const auto& want = expected[(size_t) i];
                wrongIds += info.id != parameterId (want.identifier);
                wrongTitles += title != want.title;
                wrongUnits += units != want.units;
                wrongDefaults += std::abs (info.defaultNormalizedValue - want.defaultNormalised) > 1.0e-6;
            }
            else if (i == (int32) expected.size())
            {
                report.check (info.id == hostBypassId && title == "Bypass" &&
                                  (info.flags & Vst::ParameterInfo::kIsBypass) != 0 &&
                                  info.defaultNormalizedValue == 0.0,
                              "last parameter is the host bypass: id 0x62797073 (\"byps\"), \"Bypass\", default off");
            }
        }

        report.check (wrongIds == 0, "parameter IDs are the 31-bit hashes of the identifiers, in layout order",
                      std::to_string (wrongIds) + " wrong");
        report.check (wrongTitles == 0, "parameter names", std::to_string (wrongTitles) + " wrong");
        report.check (wrongUnits == 0, "parameter units", std::to_string (wrongUnits) + " wrong");
        report.check (wrongDefaults == 0, "parameter defaults", std::to_string (wrongDefaults) + " wrong");
    }

    // ---- Processing
    std::vector<float> output ((size_t) totalSamples * numChannels, 0.0f);
    AutomationProgram program;
    {
        Vst::SpeakerArrangement stereoIn = Vst::SpeakerArr::kStereo, stereoOut = Vst::SpeakerArr::kStereo;
        report.check (processor->setBusArrangements (&stereoIn, 1, &stereoOut, 1) == kResultTrue,
                      "accepts stereo in, stereo out");
        report.check (processor->canProcessSampleSize (Vst::kSample32) == kResultTrue, "processes 32-bit float");

        Vst::ProcessSetup setup { Vst::kRealtime, Vst::kSample32, maxBlockSize, sampleRate };
        const bool prepared = processor->setupProcessing (setup) == kResultOk &&
                              component->activateBus (Vst::kAudio, Vst::kInput, 0, true) == kResultOk &&
                              component->activateBus (Vst::kAudio, Vst::kOutput, 0, true) == kResultOk &&
                              component->setActive (true) == kResultOk;
        report.check (prepared, "sets up processing at 48 kHz, blocks of up to 512 samples, and activates");

        const uint32 latency = processor->getLatencySamples();
        const uint32 tail = processor->getTailSamples();
        facts["latency"] = std::to_string (latency);
        facts["tail"] = std::to_string (tail);
        report.note ("latency " + std::to_string (latency) + " samples (compared with the Linux build below)");
        report.check (tail == 192000, "reports a tail of 4 s", std::to_string (tail) + " samples");

        processor->setProcessing (true);

        StereoBlock block;
        host::ParameterChanges changes;
        Vst::ProcessContext context {};
        TestSignal signal;
        int position = 0, blockIndex = 0, failedCalls = 0;

        while (position < totalSamples)
        {
            const int32 length =
                std::min<int32> (blockPattern[blockIndex++ % (int) std::size (blockPattern)], totalSamples - position);

            for (int32 i = 0; i < length; ++i)
                signal.next (block.left[(size_t) i], block.right[(size_t) i]);

            program.fill (changes, position, length);

            context.state = Vst::ProcessContext::kPlaying | Vst::ProcessContext::kTempoValid |
                            Vst::ProcessContext::kTimeSigValid | Vst::ProcessContext::kProjectTimeMusicValid;
            context.sampleRate = sampleRate;
            context.projectTimeSamples = position;
            context.projectTimeMusic = (double) position / sampleRate * 2.0;
            context.tempo = 120.0;
            context.timeSigNumerator = 4;
            context.timeSigDenominator = 4;

            auto data = block.processData (length, changes, context);
            failedCalls += processor->process (data) != kResultOk;

            for (int32 i = 0; i < length; ++i)
            {
                output[(size_t) (position + i) * 2] = block.outLeft[(size_t) i];
                output[(size_t) (position + i) * 2 + 1] = block.outRight[(size_t) i];
            }

            position += length;
        }

        report.check (failedCalls == 0, "processes " + std::to_string (blockIndex) + " blocks with automation",
                      std::to_string (failedCalls) + " failed calls");

        int nonFinite = 0;
        float peak = 0.0f;

        for (auto sample : output)
        {
            if (! std::isfinite (sample))
                ++nonFinite;
            else
                peak = std::max (peak, std::abs (sample));
        }

        report.check (nonFinite == 0, "output is finite", std::to_string (nonFinite) + " samples are not");
        report.check (peak > 0.0f, "output is not silent", "peak " + exact (peak));

        processor->setProcessing (false);
        component->setActive (false);
    }

    // ---- State
    host::MemoryStream saved;
    {
        const bool savedOk = component->getState (&saved) == kResultOk;
        report.check (savedOk && ! saved.bytes.empty(), "component saves its state",
                      std::to_string (saved.bytes.size()) + " bytes");
        const std::string text (saved.bytes.begin(), saved.bytes.end());
        report.check (text.find ("JUCEPrivateData") != std::string::npos, "state ends with the client's private block");
    }

    // ---- Editor, on a window of our own (Windows only)
    {
        editorcheck::HostHooks hooks;
        hooks.processAudio = [component, processor] (float peak, int samples)
        { return processSine (*component, *processor, peak, samples); };
        hooks.gateAmountId = parameterId ("gateAmount");
        hooks.gateAmountSet = program.lastValues.at (hooks.gateAmountId);
        editorcheck::run (*controller, hooks, report, args.outDir);
    }

    // ---- Restore into a second instance
    {
        host::ComponentHandler secondHandler;
        Instance second;

        if (report.check (second.create (*factory, componentCid, hostApp, secondHandler), "second instance is created"))
        {
            saved.rewind();
            const bool restored = second.component->setState (&saved) == kResultOk;
            // JUCE's controller answers kNotImplemented here: it reads the
            // values from the shared processor instead of the stream.
            saved.rewind();
            second.controller->setComponentState (&saved);
            report.check (restored, "second component restores the saved state");
            report.check ((secondHandler.restartFlags & Vst::kParamValuesChanged) != 0,
                          "second controller asks the host to reread its parameters");

            host::MemoryStream resaved;
            second.component->getState (&resaved);
            report.check (resaved.bytes == saved.bytes, "restored instance saves the same bytes",
                          std::to_string (resaved.bytes.size()) + " bytes");

            int wrong = 0;

            for (auto& [id, value] : program.lastValues)
            {
                if (id == hostBypassId)
                    continue;

                const double restoredValue = second.controller->getParamNormalized (id);

                if (std::abs (restoredValue - value) > 0.002)
                {
                    ++wrong;
                    report.note ("parameter " + hex (id) + ": restored " + exact (restoredValue) + ", set " +
                                 exact (value));
                }
            }

            report.check (wrong == 0, "restored controller shows the values the host last set",
                          std::to_string (program.lastValues.size() - 1) + " parameters, " + std::to_string (wrong) +
                              " wrong");
        }

        second.destroy();
    }

    // ---- Damaged states, each into an instance of its own
    for (const auto& [name, bytes] : damagedComponentStates())
    {
        host::ComponentHandler damagedHandler;
        Instance damaged;

        if (! report.check (damaged.create (*factory, componentCid, hostApp, damagedHandler),
                            "instance for a damaged state is created"))
        {
            damaged.destroy();
            continue;
        }

        host::MemoryStream stream (bytes);
        const bool restored = damaged.component->setState (&stream) == kResultOk;
        // As a host does; JUCE's controller then rereads the processor's values.
        stream.rewind();
        damaged.controller->setComponentState (&stream);

        host::MemoryStream resaved;
        damaged.component->getState (&resaved);
        const std::string text (resaved.bytes.begin(), resaved.bytes.end());
        const double blend = damaged.controller->getParamNormalized (parameterId ("blend"));

        const bool tempoRestored = text.find ("manualBpm=\"88.0\"") != std::string::npos;
        report.check (restored && tempoRestored && std::abs (blend - 0.33) < 0.002,
                      "restores a state whose private data has " + name + " as if it had none",
                      std::string (restored ? "accepted" : "refused") + ", tempo " + (tempoRestored ? "" : "not ") +
                          "restored, blend " + exact (blend));
        damaged.destroy();
    }

    // ---- Tear down
    instance.destroy();
    factory->release();
    report.check (module.unload(), "module exit function returns true");

    // ---- Results, and the comparison with the Linux build
    writeFacts (filePath (args.outDir, "facts.txt"), facts);
    writeFile (filePath (args.outDir, "output.f32"), output.data(), output.size() * sizeof (float));
    writeFile (filePath (args.outDir, "state.bin"), saved.bytes.data(), saved.bytes.size());

    if (! args.referenceDir.empty())
    {
        const Facts reference = readFacts (filePath (args.referenceDir, "facts.txt"));
        report.check (! reference.empty(), "Linux results are there", args.referenceDir);

        const auto describe = [] (const std::vector<std::string>& found)
        {
            std::string text = std::to_string (found.size()) + " differences";

            for (size_t i = 0; i < found.size() && i < 5; ++i)
                text += "; " + found[i];

            return text;
        };

        auto found = differences (facts, reference, "factory.");
        auto classes = differences (facts, reference, "class.");
        found.insert (found.end(), classes.begin(), classes.end());
        report.check (found.empty(), "factory and class information match the Linux build", describe (found));

        found = differences (facts, reference, "bus.");
        auto params = differences (facts, reference, "param.");
        found.insert (found.end(), params.begin(), params.end());
        report.check (found.empty(), "buses and parameter list match the Linux build", describe (found));

        found = differences (facts, reference, "latency");
        auto tails = differences (facts, reference, "tail");
        found.insert (found.end(), tails.begin(), tails.end());
        report.check (found.empty(), "latency and tail match the Linux build", describe (found));

        std::vector<char> referenceBytes;
        readFile (filePath (args.referenceDir, "output.f32"), referenceBytes);

        if (report.check (referenceBytes.size() == output.size() * sizeof (float), "Linux output has the same length"))
        {
            std::vector<float> referenceOutput (output.size());
            std::memcpy (referenceOutput.data(), referenceBytes.data(), referenceBytes.size());

            // The two builds run the same code; what may differ is the last
            // bit of the C runtime's maths (sin, tanh, exp) and what a chain
            // with feedback makes of it.
            double maxDifference = 0.0, sumSquares = 0.0, referencePeak = 0.0;
            size_t worst = 0;

            for (size_t i = 0; i < output.size(); ++i)
            {
                const double difference = std::abs ((double) output[i] - (double) referenceOutput[i]);
                sumSquares += difference * difference;
                referencePeak = std::max (referencePeak, std::abs ((double) referenceOutput[i]));

                if (difference > maxDifference || ! std::isfinite (difference))
                {
                    maxDifference = difference;
                    worst = i;
                }
            }

            const double rms = std::sqrt (sumSquares / (double) output.size());
            const double tolerance = 1.0e-3 * std::max (1.0, referencePeak);
            report.check (maxDifference <= tolerance, "output matches the Linux build",
                          "largest difference " + exact (maxDifference) + " at sample " + std::to_string (worst / 2) +
                              ", rms " + exact (rms) + ", tolerance " + exact (tolerance));
        }

        std::vector<char> referenceState;
        readFile (filePath (args.referenceDir, "state.bin"), referenceState);
        report.check (referenceState == saved.bytes, "state chunk is byte-identical to the Linux build's",
                      std::to_string (saved.bytes.size()) + " bytes here, " + std::to_string (referenceState.size()) +
                          " on Linux");
    }

    return report.finish();
}
