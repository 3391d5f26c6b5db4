// The floor of bench/startup.py: a C++ program that does nothing.
int main() {}
