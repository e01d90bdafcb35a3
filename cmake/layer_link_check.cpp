// The program of a layer's link check: it uses nothing, so only the layer's own objects,
// all of them linked, decide whether it links.
int main() {
    return 0;
}
