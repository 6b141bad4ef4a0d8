# Where this build installs the udev rule that lets the seat's user open the wheel, known at
# configure time so the program can name it when the wheel's node refuses to open.
#
#   KESTREL_UDEV_RULES_DIR      (cache) the rules folder; relative folders are under the prefix
#   KESTREL_UDEV_RULE_NAME      the rule's file name
#   KESTREL_UDEV_RULE_FILE      its absolute installed path
#   KESTREL_UDEV_RULE_IN_FORCE  ON when udev reads rules from that folder, so installing the
#                               program is enough; OFF when the rule must be copied to /etc
#
# Included by every folder that needs it; it only reads and sets variables, so twice is harmless.

# udev reads rules from its own folder, which udev.pc names (/usr/lib/udev or /lib/udev). The
# folder is kept relative to the install prefix, so --prefix /usr lands in the system folder
# and a staging prefix gets the same layout; a distributor may set an absolute folder instead.
set(kestrel_udev_dir lib/udev)
pkg_get_variable(kestrel_udevdir_from_pc udev udevdir)
if(kestrel_udevdir_from_pc)
  string(REGEX REPLACE "^/(usr/)?" "" kestrel_udev_dir "${kestrel_udevdir_from_pc}")
endif()
set(KESTREL_UDEV_RULES_DIR ${kestrel_udev_dir}/rules.d CACHE STRING
  "Folder the udev rule is installed to; relative paths are under the install prefix")

set(KESTREL_UDEV_RULE_NAME 70-kestrel.rules)
if(IS_ABSOLUTE "${KESTREL_UDEV_RULES_DIR}")
  set(kestrel_udev_rules_folder "${KESTREL_UDEV_RULES_DIR}")
else()
  set(kestrel_udev_rules_folder "${CMAKE_INSTALL_PREFIX}/${KESTREL_UDEV_RULES_DIR}")
endif()
cmake_path(NORMAL_PATH kestrel_udev_rules_folder)
string(REGEX REPLACE "/$" "" kestrel_udev_rules_folder "${kestrel_udev_rules_folder}")
set(KESTREL_UDEV_RULE_FILE "${kestrel_udev_rules_folder}/${KESTREL_UDEV_RULE_NAME}")

# The folders udev itself reads; a rule anywhere else (say under /usr/local) is ignored.
if(kestrel_udev_rules_folder MATCHES "^(/usr/lib|/lib|/etc|/run)/udev/rules\\.d$")
  set(KESTREL_UDEV_RULE_IN_FORCE ON)
else()
  set(KESTREL_UDEV_RULE_IN_FORCE OFF)
endif()
