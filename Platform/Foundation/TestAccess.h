#pragma once

// Classes keep their test hooks private and befriend this one type; it is defined under tests/ only.
struct TestAccess;
