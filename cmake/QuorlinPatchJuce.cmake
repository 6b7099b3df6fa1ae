# Fixes in JUCE's VST3 client that can only be made in its own source. The
# client's VST3 entry file and the folders it includes are copied from the
# installed JUCE into the build tree, the patches in cmake/patches are applied
# to the copy, and the VST3 client target then compiles the copy. The installed
# files stay as they are. The copy is made again whenever the installed source
# or a patch changes.
#
# juce-7.0.5-vst3-private-data.patch: the client's setStateInformation trusted
# the "JUCEPrivateData" trailer of a component state, before any of the
# plug-in's code ran, so a damaged or crafted project crashed the host:
# - it read the private data from wherever the trailer's stored size pointed.
#   A trailer whose size does not fit inside the state is now no trailer: the
#   state is restored as if it had no private data (the host bypass keeps its
#   value, the processor gets the whole state);
# - it read the private data with ValueTree::readFromData, which believes the
#   counts in it (an array of two billion values is made value by value). The
#   client only ever writes the host bypass there, so the data is now taken
#   only when it is one of the two blocks the client writes, and else ignored;
# - it decoded the marker as UTF-8, which can read past the end; it is now
#   compared as bytes.

set(quorlin_juce_patches "${CMAKE_CURRENT_LIST_DIR}/patches/juce-7.0.5-vst3-private-data.patch")

if(NOT JUCE_VERSION VERSION_EQUAL "7.0.5")
    message(FATAL_ERROR "cmake/patches are made for JUCE 7.0.5, not ${JUCE_VERSION}: check whether they still "
                        "apply and are still needed, then update cmake/QuorlinPatchJuce.cmake")
endif()

find_program(QUORLIN_PATCH_PROGRAM patch REQUIRED)

set(quorlin_client_source "${JUCE_MODULES_DIR}/juce_audio_plugin_client")
set(quorlin_client_copy "${CMAKE_BINARY_DIR}/juce-patched/juce_audio_plugin_client")
set(quorlin_client_entry "juce_audio_plugin_client_VST3.cpp")

# What the copy is made from: the installed files it takes and the patches.
set(quorlin_patch_inputs
    "${quorlin_client_source}/${quorlin_client_entry}"
    "${quorlin_client_source}/VST3/juce_VST3_Wrapper.cpp"
    ${quorlin_juce_patches})
set(quorlin_patch_fingerprint "")
foreach(input IN LISTS quorlin_patch_inputs)
    file(SHA256 "${input}" hash)
    string(APPEND quorlin_patch_fingerprint "${hash} ${input}\n")
endforeach()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${quorlin_patch_inputs})

set(quorlin_patch_stamp "${quorlin_client_copy}/.patched")
set(quorlin_patch_done "")
if(EXISTS "${quorlin_patch_stamp}")
    file(READ "${quorlin_patch_stamp}" quorlin_patch_done)
endif()

if(NOT quorlin_patch_done STREQUAL quorlin_patch_fingerprint)
    file(REMOVE_RECURSE "${quorlin_client_copy}")
    file(MAKE_DIRECTORY "${quorlin_client_copy}")
    file(COPY "${quorlin_client_source}/${quorlin_client_entry}" "${quorlin_client_source}/VST3"
              "${quorlin_client_source}/utility"
         DESTINATION "${quorlin_client_copy}")

    foreach(patch_file IN LISTS quorlin_juce_patches)
        execute_process(COMMAND "${QUORLIN_PATCH_PROGRAM}" --batch --forward --silent -p1 -i "${patch_file}"
                        WORKING_DIRECTORY "${quorlin_client_copy}"
                        RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
        if(NOT result EQUAL 0)
            file(REMOVE_RECURSE "${quorlin_client_copy}")
            message(FATAL_ERROR "${patch_file} does not apply to ${quorlin_client_source}:\n${output}")
        endif()
    endforeach()

    file(WRITE "${quorlin_patch_stamp}" "${quorlin_patch_fingerprint}")
    message(STATUS "JUCE VST3 client patched in ${quorlin_client_copy}")
endif()

# The client's target lists every format's entry file; only the VST3 one is
# swapped for the copy.
get_target_property(quorlin_client_sources juce_audio_plugin_client_VST3 INTERFACE_SOURCES)
set(quorlin_patched_sources "")
foreach(source IN LISTS quorlin_client_sources)
    if(source STREQUAL "${quorlin_client_source}/${quorlin_client_entry}")
        set(source "${quorlin_client_copy}/${quorlin_client_entry}")
    endif()
    list(APPEND quorlin_patched_sources "${source}")
endforeach()
if(NOT "${quorlin_client_copy}/${quorlin_client_entry}" IN_LIST quorlin_patched_sources)
    message(FATAL_ERROR "juce_audio_plugin_client_VST3 does not compile ${quorlin_client_entry} from "
                        "${quorlin_client_source}; cmake/QuorlinPatchJuce.cmake needs updating")
endif()
set_target_properties(juce_audio_plugin_client_VST3 PROPERTIES INTERFACE_SOURCES "${quorlin_patched_sources}")
