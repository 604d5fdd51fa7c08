#!/bin/sh
# Rebuilds the shipped machine profiles from the key tables in Tools/smcimport/Tables:
#   Tools/smcimport/import-shipped.sh [BUILD_DIR] [TABLES_DIR]
set -e
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${1:-$root/build}
tables=${2:-$here/Tables}
machines=$root/Resources/Machines
import() {
  "$build/bin/smcimport" "$tables/$1.txt" --name "$2" --description "$3" --facts "$here/Facts/$2.json" \
    --output "$machines/$2.json"
}
import MacBookPro11,4 mbp-intel-2fan "MacBook Pro 15-inch (Mid 2015), Intel, two fans, forced mask"
import MacBookAir8,1 mba-intel-t2-1fan "MacBook Air 13-inch (2018), Intel with T2, one fan, mode key, read-only range"
import MacPro7,1 macpro-intel-4fan "Mac Pro (2019), Intel Xeon, four flt fans with mode keys, no forced mask"
import iMac18,3 imac-intel-1fan "iMac 27-inch (5K, 2017), Intel, one fan, forced mask"
import Macmini8,1 mini-intel-t2-1fan "Mac mini (2018), Intel with T2, one fan, mode key, read-only range"
temperatures() {
  "$build/bin/smcimport" --temperatures "$tables/$1.txt" --into "$machines/$2.json"
}
temperatures m1-pro mbp-m1pro-2fan
temperatures m2 mini-m2-1fan
temperatures m3-max mbp-m3max-2fan
temperatures m4 mini-m4-1fan
temperatures m4-pro mbp-m4pro-2fan
