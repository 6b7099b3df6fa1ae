-- The steps of a user's batch export in Ardour's headless Lua interpreter
-- (ardour7-lua), on the "None (Dummy)" backend. scripts/test-ardour runs it:
--
--   ardour7-lua session-steps.lua fixture <session-dir>
--       a new 48 kHz session with one stereo track "Guitar" holding a 3 s
--       region, recorded from the dummy backend's sine-wave inputs;
--   ardour7-lua session-steps.lua prepare <session-dir> none|params
--       adds the plug-in to the track (and sets a few parameters), saves;
--   ardour7-lua session-steps.lua run <session-dir> fresh|reload|without none|params
--       opens the session, adds the plug-in ("fresh"), finds the one the
--       session restored ("reload") or adds none ("without"), sets a few
--       parameters ("params"), exports the session with SimpleExport into
--       <session-dir>/export, saves and quits, so the session is destroyed.
--
-- Every failed step raises a Lua error, which makes ardour7-lua exit non-zero.

local pluginName = "Tessarwood Quorlin"
local sessionName = "guitar"
local sampleRate = 48000
local regionSamples = 3 * sampleRate

-- Normalised values for a few parameters, by their index in the plug-in's list:
-- Input, Drive, Tone, Modulation, Space, Echo.
-- A reloaded session that saved the first set gets the second.
local someParameters = { [0] = 0.6, [3] = 0.6, [6] = 0.625, [12] = 0.5, [16] = 0.4, [20] = 0.4 }
local otherParameters = { [0] = 0.5, [3] = 0.3, [6] = 0.5, [12] = 0.25, [16] = 0.2, [20] = 0.6 }

local mode, sessionDir, what, parameters = arg[1], arg[2], arg[3], arg[4]

local function check (condition, message)
    if not condition then error ("quorlin-ardour: " .. message, 2) end
end

local function openSession ()
    AudioEngine:set_backend ("None (Dummy)", "", "")
    check (load_session (sessionDir, sessionName), "cannot open the session in " .. sessionDir)
    local route = Session:route_by_name ("Guitar")
    check (not route:isnil (), "the session has no track \"Guitar\"")
    return route:to_track ()
end

local function addPlugin (track)
    local plugin = ARDOUR.LuaAPI.new_plugin (Session, pluginName, ARDOUR.PluginType.VST3, "")
    check (not plugin:isnil (), "Ardour does not find the VST3 \"" .. pluginName .. "\"")
    check (track:add_processor_by_index (plugin, 0, nil, true) == 0, "the track does not take the plug-in")
    return plugin
end

local function restoredPlugin (track)
    local plugin = track:nth_plugin (0)
    check (not plugin:isnil () and plugin:display_name () == pluginName, "the session restored no \"" .. pluginName .. "\"")
    return plugin
end

local function setParameters (plugin, values)
    for index, value in pairs (values) do
        check (ARDOUR.LuaAPI.set_processor_param (plugin, index, value), "parameter " .. index .. " cannot be set")
    end
end

local function checkParameters (plugin)
    for index, value in pairs (someParameters) do
        local restored = ARDOUR.LuaAPI.get_processor_param (plugin, index, true)
        check (math.abs (restored - value) < 1e-4,
               string.format ("parameter %d restored as %g, saved as %g", index, restored, value))
    end
end

local function save ()
    check (Session:save_state ("", false, false, false, false, false) == 0, "the session cannot be saved")
end

if mode == "fixture" then
    local backend = AudioEngine:set_backend ("None (Dummy)", "", "")
    backend:set_device_name ("Sine Wave")
    check (create_session (sessionDir, sessionName, sampleRate), "cannot create a session in " .. sessionDir)
    local tracks = Session:new_audio_track (2, 2, nil, 1, "Guitar", ARDOUR.PresentationInfo.max_order,
                                            ARDOUR.TrackMode.Normal, true)
    local track = tracks:front ()
    track:rec_enable_control ():set_value (1, PBD.GroupControlDisposition.NoGroup)
    Session:maybe_enable_record (false)
    sleep (0.5)
    Session:request_roll (ARDOUR.TransportRequestSource.TRS_UI)
    sleep (3.5)
    Session:request_stop (false, false, ARDOUR.TransportRequestSource.TRS_UI)
    sleep (1)
    track:rec_enable_control ():set_value (0, PBD.GroupControlDisposition.NoGroup)
    Session:disable_record (false, false)
    local regions = 0
    for region in track:playlist ():region_list ():iter () do
        check (region:length ():samples () >= regionSamples, "the recording is shorter than 3 s")
        region:set_length (Temporal.timecnt_t (regionSamples))
        regions = regions + 1
    end
    check (regions == 1, "the recording made " .. regions .. " regions")
    save ()
elseif mode == "prepare" then
    local plugin = addPlugin (openSession ())
    if what == "params" then setParameters (plugin, someParameters) end
    save ()
elseif mode == "run" then
    local track = openSession ()
    if what == "fresh" then
        local plugin = addPlugin (track)
        if parameters == "params" then setParameters (plugin, someParameters) end
    elseif what == "reload" then
        local plugin = restoredPlugin (track)
        if parameters == "params" then
            checkParameters (plugin)
            setParameters (plugin, otherParameters)
        end
    else
        check (what == "without", "unknown run \"" .. tostring (what) .. "\"")
    end

    local export = Session:simple_export ()
    export:set_folder (sessionDir .. "/export")
    check (export:run_export (), "the export failed")
    save ()
else
    error ("usage: session-steps.lua fixture|prepare|run <session-dir> ...")
end

print ("quorlin-ardour: steps done")
