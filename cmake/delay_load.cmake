# Import libraries that load their DLL at the first call instead of at start-up.
#
# The setup needs WinINet only on the progress page and the shell only when a link is clicked,
# yet loading both with the exe costs the welcome page about 1.7 MB of working set under Wine.
# The libraries are made at configure time from the toolchain's own import library: its function
# symbols become a module definition, and dlltool turns that into a delay-import library whose
# thunks go through mingw's __delayLoadHelper2 (libdelayimp).
#
#   orvella_delay_import_library(<dll> <result variable>)
function(orvella_delay_import_library dll result)
    set(dir ${CMAKE_BINARY_DIR}/delayload)
    set(def ${dir}/${dll}.def)
    set(library ${dir}/lib${dll}_delay.a)
    file(MAKE_DIRECTORY ${dir})

    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=lib${dll}.a
                    OUTPUT_VARIABLE import_library OUTPUT_STRIP_TRAILING_WHITESPACE)
    execute_process(COMMAND ${CMAKE_NM} -g --defined-only ${import_library}
                    OUTPUT_VARIABLE symbols RESULT_VARIABLE failed)
    if(failed OR NOT EXISTS ${import_library})
        message(FATAL_ERROR "No import library for ${dll} (${import_library})")
    endif()

    # i686 names carry the C prefix underscore and the stdcall suffix; dlltool -k drops the
    # suffix from the name looked up in the DLL.
    string(REGEX MATCHALL "[0-9a-fA-F]+ T [^\n]+" functions "${symbols}")
    set(text "LIBRARY ${dll}.dll\nEXPORTS\n")
    set(kill_at "")
    foreach(line IN LISTS functions)
        string(REGEX REPLACE "^[0-9a-fA-F]+ T " "" name "${line}")
        if(CMAKE_SIZEOF_VOID_P EQUAL 4)
            string(REGEX REPLACE "^_" "" name "${name}")
            set(kill_at -k)
        endif()
        string(APPEND text "    ${name}\n")
    endforeach()
    file(WRITE ${def} "${text}")

    execute_process(COMMAND ${CMAKE_DLLTOOL} ${kill_at} --input-def ${def} --dllname ${dll}.dll
                            --output-delaylib ${library}
                    RESULT_VARIABLE failed ERROR_VARIABLE errors)
    if(failed)
        message(FATAL_ERROR "dlltool could not make ${library}: ${errors}")
    endif()
    set(${result} ${library} PARENT_SCOPE)
endfunction()
