#pragma once

// Loads a VST3 bundle's binary the way a host of the running platform does:
// on Windows Contents/x86_64-win/<name>.vst3 with InitDll and ExitDll, on
// Linux Contents/x86_64-linux/<name>.so with ModuleEntry and ModuleExit.

#include "pluginterfaces/base/ipluginbase.h"

#include <string>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace host
{
class PluginModule
{
public:
    explicit PluginModule (const std::string& bundlePath)
    {
        const auto slash = bundlePath.find_last_of ("/\\");
        auto name = bundlePath.substr (slash == std::string::npos ? 0 : slash + 1);
        name = name.substr (0, name.rfind (".vst3"));

#if defined(_WIN32)
        binaryPath = toWindowsPath (bundlePath) + "\\Contents\\x86_64-win\\" + name + ".vst3";
        std::wstring widePath (binaryPath.begin(), binaryPath.end());
        handle = LoadLibraryW (widePath.c_str());

        if (handle == nullptr)
        {
            error = "LoadLibraryW failed with error " + std::to_string (GetLastError());
            return;
        }

        getFactory = (GetFactoryProc) (void*) GetProcAddress (handle, "GetPluginFactory");
        auto* init = (bool (*)()) (void*) GetProcAddress (handle, "InitDll");
        exitFunction = (bool (*)()) (void*) GetProcAddress (handle, "ExitDll");
        hasEntryPoints = getFactory != nullptr && init != nullptr && exitFunction != nullptr;
        entered = init != nullptr && init();
#else
        binaryPath = bundlePath + "/Contents/x86_64-linux/" + name + ".so";
        handle = dlopen (binaryPath.c_str(), RTLD_NOW | RTLD_LOCAL);

        if (handle == nullptr)
        {
            const char* message = dlerror();
            error = message != nullptr ? message : "dlopen failed";
            return;
        }

        getFactory = (GetFactoryProc) dlsym (handle, "GetPluginFactory");
        auto* init = (bool (*) (void*)) dlsym (handle, "ModuleEntry");
        exitFunction = (bool (*)()) dlsym (handle, "ModuleExit");
        hasEntryPoints = getFactory != nullptr && init != nullptr && exitFunction != nullptr;
        entered = init != nullptr && init (handle);
#endif
    }

    ~PluginModule() { unload(); }

    PluginModule (const PluginModule&) = delete;
    PluginModule& operator= (const PluginModule&) = delete;

    bool isLoaded() const { return handle != nullptr; }

    Steinberg::IPluginFactory* createFactory() const { return getFactory != nullptr ? getFactory() : nullptr; }

    // Runs the module's exit function and unloads it; returns what the exit
    // function returned.
    bool unload()
    {
        if (handle == nullptr)
            return false;

        const bool exited = exitFunction != nullptr && exitFunction();

#if defined(_WIN32)
        FreeLibrary (handle);
#else
        dlclose (handle);
#endif

        handle = nullptr;
        return exited;
    }

    // Wine hands the program Unix paths as they were typed; its Z: drive is the
    // Unix root.
    static std::string toWindowsPath (std::string path)
    {
        if (! path.empty() && path[0] == '/')
            path = "Z:" + path;

        for (auto& c : path)
            if (c == '/')
                c = '\\';

        return path;
    }

    std::string binaryPath, error;
    bool hasEntryPoints = false, entered = false;

private:
    using GetFactoryProc = Steinberg::IPluginFactory*(PLUGIN_API*) ();

#if defined(_WIN32)
    HMODULE handle = nullptr;
#else
    void* handle = nullptr;
#endif

    GetFactoryProc getFactory = nullptr;
    bool (*exitFunction)() = nullptr;
};
} // namespace host
