# Turns the default train's rolling-stock file into one C++ source, so that the tool carries it while
# the file stays in trains/ where it is read and edited as a file.
#   cmake -DINPUT=train.yaml -DOUTPUT=default_train.cc -P embed_train.cmake
file(READ "${INPUT}" yaml)
string(FIND "${yaml}" ")train\"" at)
if(NOT at EQUAL -1)
  message(FATAL_ERROR "embed_train: ${INPUT} holds \")train\"\", which would end the raw string early")
endif()
set(text "// Generated from trains/regional_loco_hauled.yaml by cmake/embed_train.cmake: edit that file.\n")
string(APPEND text "#include \"running_time/default_train.h\"\n\nnamespace pack::running_time {\n\n")
string(APPEND text "std::string_view defaultTrainFile() {\n  return R\"train(${yaml})train\";\n}\n\n}  // namespace pack::running_time\n")
if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" old)
  if(old STREQUAL text)
    return()
  endif()
endif()
file(WRITE "${OUTPUT}" "${text}")
