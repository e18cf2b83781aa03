# Run by TagLib's patch step (cmake -DTAGLIB_DIR=... -P): keeps out of the plug-in the code that
# the title reader never runs. MinGW's linker keeps every input file's .eh_frame whole, so each
# function of a linked object file stays, whatever --gc-sections finds unused: what is to stay
# out must not be linked at all, and nothing linked may refer to it. Both steps below leave what
# the title reader reads (ID3v2, APE and ID3v1 tags, through its own TagLib::File) unchanged.
# Each step may run again on patched sources; a TagLib that no longer has the code to change
# stops the build.
#
# 1. <iostream> becomes <ostream> (the debug listener aside, which the release build never
#    reaches): with GCC's libstdc++ every file that includes <iostream> constructs a static
#    ios_base::Init, which links in the standard streams with every locale facet they can use.
#    The operators << that write strings and byte vectors to a std::ostream go too, so that
#    nothing links libstdc++'s ostream: nothing in the plug-in writes to a stream.
# 2. File's property functions reach every container's File class by dynamic_cast (TagLib 1.x
#    cannot make them virtual); they take the general path, tag()'s properties, which is what
#    they do for a File that is none of those, like the title reader's.
file(GLOB_RECURSE files ${TAGLIB_DIR}/taglib/*.h ${TAGLIB_DIR}/taglib/*.cpp)
foreach(f IN LISTS files)
  if(f MATCHES "tdebuglistener\\.cpp$")
    continue()
  endif()
  file(READ "${f}" text)
  string(REPLACE "#include <iostream>" "#include <ostream>" patched "${text}")
  if(NOT patched STREQUAL text)
    file(WRITE "${f}" "${patched}")
  endif()
endforeach()

set(marker "// Left out of Corvane's build (cmake/TagLibTrim.cmake).")

# Replaces the definition that starts with `signature` (up to the first line that is a lone "}")
# in `path` with `replacement`.
function(replace_definition path signature replacement)
  file(READ "${TAGLIB_DIR}/taglib/${path}" text)
  string(FIND "${text}" "${replacement}" done)
  if(NOT done EQUAL -1)
    return()
  endif()
  string(FIND "${text}" "${signature}\n{" start)
  if(start EQUAL -1)
    message(FATAL_ERROR "TagLibTrim: no '${signature}' in ${path}: a TagLib this script does not know")
  endif()
  string(SUBSTRING "${text}" ${start} -1 rest)
  string(FIND "${rest}" "\n}\n" length)
  math(EXPR length "${length} + 3")
  string(SUBSTRING "${text}" 0 ${start} before)
  math(EXPR after_start "${start} + ${length}")
  string(SUBSTRING "${text}" ${after_start} -1 after)
  file(WRITE "${TAGLIB_DIR}/taglib/${path}" "${before}${replacement}${after}")
endfunction()

replace_definition(toolkit/tbytevector.cpp
  "std::ostream &operator<<(std::ostream &s, const TagLib::ByteVector &v)"
  "${marker} operator<<(std::ostream &, const ByteVector &)\n")
replace_definition(toolkit/tstring.cpp
  "std::ostream &operator<<(std::ostream &s, const TagLib::String &str)"
  "${marker} operator<<(std::ostream &, const String &)\n")
replace_definition(toolkit/tstringlist.cpp
  "std::ostream &operator<<(std::ostream &s, const StringList &l)"
  "${marker} operator<<(std::ostream &, const StringList &)\n")
replace_definition(toolkit/tfile.cpp "PropertyMap File::properties() const"
  "PropertyMap File::properties() const\n{\n  ${marker}\n  return tag()->properties();\n}\n")
replace_definition(toolkit/tfile.cpp
  "void File::removeUnsupportedProperties(const StringList &properties)"
  "void File::removeUnsupportedProperties(const StringList &properties)\n{\n  ${marker}\n  tag()->removeUnsupportedProperties(properties);\n}\n")
replace_definition(toolkit/tfile.cpp "PropertyMap File::setProperties(const PropertyMap &properties)"
  "PropertyMap File::setProperties(const PropertyMap &properties)\n{\n  ${marker}\n  return tag()->setProperties(properties);\n}\n")
