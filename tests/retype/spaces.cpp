struct S {
    int a;
    int b;
};
