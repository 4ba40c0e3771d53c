#include "preview/effect_table.h"

#include <cstddef>

namespace vorelux::preview {

const std::array<EffectInfo, EffectCount> EffectTable = {{
    {1, "Efeito   1 - Rola da direita", 0, 0},
    {2, "Efeito   2 - Rola da esquerda", 0, 0},
    {3, "Efeito   3 - Abre cortina", 0, 0},
    {4, "Efeito   4 - Acendendo da direira", 0, 0},
    {5, "Efeito   5 - Acendendo da esquerda", 0, 0},
    {6, "Efeito   6 - Aparece", 0, 0},
    {7, "Efeito   7 - Aparece de baixo", 0, 0},
    {8, "Efeito   8 - Aparece de cima", 0, 0},
    {9, "Efeito   9 - Tétris vertical", 0, 0},
    {10, "Efeito 10 - Cascata de pixel", 0, 0},
    {11, "Efeito 11 - Chove de pixel", 0, 0},
    {12, "Efeito 12 - Desce", 0, 0},
    {13, "Efeito 13 - Sanfona horizontal", 0, 0},
    {14, "Efeito 14 - Sanfona vertical", 0, 0},
    {15, "Efeito 15 - Zoom", 0, 0},
    {16, "Efeito 16 - Fecha cortina", 0, 0},
    {17, "Efeito 17 - Fatiar horizontal", 0, 0},
    {18, "Efeito 18 - Fatiar vertical", 0, 0},
    {19, "Efeito 19 - Raio laser", 0, 0},
    {20, "Efeito 20 - Tiros laser", 0, 0},
    {21, "Efeito 21 - Onda", 0, 0},
    {22, "Efeito 22 - Esmaece", 0, 0},
    {23, "Efeito 23 - Portão", 0, 0},
    {24, "Efeito 24 - Letras sobe e desce", 0, 0},
    {25, "Efeito 25 - Rola linhas", 0, 0},
    {26, "Efeito 26 - Sobe", 0, 0},
    {27, "Efeito 27 - Escorre letras", 0, 0},
    {28, "Efeito 28 - Tétris horizontal 1", 0, 0},
    {29, "Efeito 29 - Tétris horizontal 2", 0, 0},
    {30, "Efeito 30 - Pisca", 0, 0},
    {31, "Efeito 31 - Pisca inverte", 0, 0},
    {32, "Efeito 32 - Come-come", 1, 2},
    {33, "Efeito 33 - Tesoura", 5, 2},
    {34, "Efeito 34 - Trator", 9, 1},
    {35, "Efeito 35 - Aspirador de pó", 13, 1},
    {36, "Efeito 36 - Hélice", 17, 1},
    {37, "Efeito 37 - Carro", 21, 1},
    {38, "Efeito 38 - Caneta", 25, 1},
    {39, "Efeito 39 - Cachorro", 29, 2},
    {40, "Efeito 40 - Avião atirando", 33, 4},
    {41, "Efeito 41 - Avião passageiro", 37, 3},
    {42, "Efeito 42 - Helicóptero", 41, 2},
    {43, "Efeito 43 - Trem", 45, 2},
    {44, "Efeito 44 - Moto", 49, 1},
    {45, "Efeito 45 - Peixe", 53, 2},
    {46, "Efeito 46 - Pessoa", 57, 2},
    {47, "Efeito 47 - Coração", 61, 3},
    {48, "Efeito 48 - Tartaruga", 65, 2},
    {49, "Efeito 49 - Tanque de guerra", 69, 1},
    {50, "Efeito 50 - Caminhão", 73, 1},
    {51, "Efeito 51 - Roda", 77, 1},
    {52, "Efeito 52 - Passarinho", 81, 2},
    {53, "Efeito 53 - Pintor", 85, 3},
    {54, "Efeito 54 - O.V.N.I.", 89, 3},
    {55, "Efeito 55 - Furadeira", 93, 1},
    {56, "Efeito 56 - Xícara", 97, 3},
    {57, "Efeito 57 - Cobra", 101, 2},
    {58, "Efeito 58 - Baleia", 105, 2},
    {59, "Efeito 59 - Barata", 109, 1},
    {60, "Efeito 60 - Sapatos", 113, 2},
    {61, "Efeito 61 - Martelo", 117, 3},
}};

const char* effectText(int n) {
    if (n < 1 || n > EffectCount) return nullptr;
    return EffectTable[std::size_t(n - 1)].text;
}

} // namespace vorelux::preview
