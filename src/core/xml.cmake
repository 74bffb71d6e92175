# The XML dialect: tree, writer, tokenizer, grammar, reading sequence.
target_sources(zcore PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/safefile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TSafeFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tempfiles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/systemerror.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TFileReadBuffer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TXMLItem.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TXMLComplexElement.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TXMLStringElement.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TXMLToken.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TDTDItem.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TDTDElement.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TDTDAttribute.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TDTDCompound.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TDTDEmpty.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TDTDConcat.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TDTDChoice.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TDTDOptional.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TDTDRepeatMin0.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xmlread.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TReadError.cpp)
