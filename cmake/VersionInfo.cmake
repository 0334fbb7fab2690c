# nutv_add_version_info(target [VERSION x.y.z.w] [DESCRIPTION text] [ORIGINAL_FILENAME name])
# Gives an executable the version block (VS_VERSIONINFO layout) that modFile's readers find
# in its ".nutv_version" section. The version defaults to the project version; its last
# component is the revision the update mechanism compares.
function(nutv_add_version_info target)
  cmake_parse_arguments(V "" "VERSION;DESCRIPTION;ORIGINAL_FILENAME" "" ${ARGN})
  if(NOT V_VERSION)
    set(V_VERSION ${PROJECT_VERSION})
  endif()
  if(NOT V_ORIGINAL_FILENAME)
    get_target_property(V_ORIGINAL_FILENAME ${target} OUTPUT_NAME)
    if(NOT V_ORIGINAL_FILENAME)
      set(V_ORIGINAL_FILENAME ${target})
    endif()
  endif()
  if(NOT V_DESCRIPTION)
    set(V_DESCRIPTION ${V_ORIGINAL_FILENAME})
  endif()
  set(source ${CMAKE_CURRENT_BINARY_DIR}/${target}_version_block.cpp)
  add_custom_command(
    OUTPUT ${source}
    COMMAND nutv_mkversion ${source} ${V_VERSION}
            "FileDescription=${V_DESCRIPTION}" "FileVersion=${V_VERSION}" "InternalName=${target}"
            "OriginalFilename=${V_ORIGINAL_FILENAME}" "ProductName=누리Tarn_To_누리Velm"
            "ProductVersion=${PROJECT_VERSION}"
    DEPENDS nutv_mkversion
    COMMENT "Version block ${V_VERSION} for ${target}"
    VERBATIM)
  target_sources(${target} PRIVATE ${source})
endfunction()
