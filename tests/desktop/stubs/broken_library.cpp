// A library with the right name and none of the functions its users need: a broken or stub copy of a
// library Tavlen links, put before the real one in the library path.
extern "C" int tavlen_broken_library()
{
    return 0;
}
