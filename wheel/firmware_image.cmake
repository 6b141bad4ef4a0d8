# Chooses the firmware image the program embeds as resource "firmware.bin" and sets
# KESTREL_FIRMWARE_FILE to its path. The real image is the wheel maker's and is not in this
# repository: a distributor passes it with -DKESTREL_FIRMWARE_IMAGE=/path/to/image. Without
# it a marked stand-in is generated, which only the simulated wheel is ever sent.
set(KESTREL_FIRMWARE_IMAGE "" CACHE FILEPATH "The wheel's firmware image (24,672 bytes) to embed")
set(kestrel_firmware_expected_size 24672)

if(KESTREL_FIRMWARE_IMAGE)
  if(NOT EXISTS "${KESTREL_FIRMWARE_IMAGE}")
    message(FATAL_ERROR "KESTREL_FIRMWARE_IMAGE: no such file: ${KESTREL_FIRMWARE_IMAGE}")
  endif()
  file(SIZE "${KESTREL_FIRMWARE_IMAGE}" kestrel_firmware_size)
  math(EXPR kestrel_firmware_remainder "${kestrel_firmware_size} % 32")
  if(kestrel_firmware_size EQUAL 0 OR NOT kestrel_firmware_remainder EQUAL 0)
    message(FATAL_ERROR "KESTREL_FIRMWARE_IMAGE is ${kestrel_firmware_size} bytes: the wheel takes "
                        "it in 32-byte chunks, so it must be a whole, non-zero number of them")
  endif()
  if(NOT kestrel_firmware_size EQUAL kestrel_firmware_expected_size)
    message(WARNING "KESTREL_FIRMWARE_IMAGE is ${kestrel_firmware_size} bytes, not the "
                    "${kestrel_firmware_expected_size} the wheel's current firmware has")
  endif()
  set(KESTREL_FIRMWARE_FILE "${KESTREL_FIRMWARE_IMAGE}")
else()
  # Text, so the file explains itself to anyone who finds it; the first line is the marker
  # the program looks for before flashing.
  set(kestrel_stand_in_line "KESTREL STAND-IN FIRMWARE: for the simulated wheel only, never for a real one.\n")
  string(REPEAT "${kestrel_stand_in_line}" 400 kestrel_stand_in)
  string(SUBSTRING "${kestrel_stand_in}" 0 ${kestrel_firmware_expected_size} kestrel_stand_in)
  set(KESTREL_FIRMWARE_FILE "${CMAKE_BINARY_DIR}/firmware/firmware-stand-in.bin")
  file(WRITE "${KESTREL_FIRMWARE_FILE}.new" "${kestrel_stand_in}")
  file(COPY_FILE "${KESTREL_FIRMWARE_FILE}.new" "${KESTREL_FIRMWARE_FILE}" ONLY_IF_DIFFERENT)
  message(STATUS "Firmware: embedding the stand-in (set KESTREL_FIRMWARE_IMAGE for a real wheel)")
endif()
